#pragma once
// Child processes of the Win32 backend whose output is read through a pipe.
#include "win32_text.h"

#include <string>
#include <windows.h>

namespace platform::win32 {

// A pipe whose write end a child inherits (its standard output and error); the read
// end stays with this process. False with `error` set when it cannot be made.
inline bool outputPipe(HANDLE &readEnd, HANDLE &writeEnd, std::string &error)
{
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.bInheritHandle = TRUE;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        error = errorText("CreatePipe", GetLastError());
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

// Start-up of a child without a window that reads `input` and writes into `output`.
inline STARTUPINFOW hiddenChild(HANDLE input, HANDLE output)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = input;
    si.hStdOutput = output;
    si.hStdError = output;
    return si;
}

// Everything the pipe delivers until the child and everything that inherited it have ended.
inline std::string readAll(HANDLE readEnd)
{
    std::string bytes;
    char block[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, block, sizeof block, &n, nullptr) && n > 0)
        bytes.append(block, n);
    return bytes;
}

// Console programs (cmd, netsh) write into a pipe in their console's code page: this
// process's console's, or for a program without a console the OEM code page of the
// console the child gets (936 on a Chinese system). The caller gets UTF-8.
inline std::string consoleOutputToUtf8(const std::string &bytes)
{
    const UINT consoleCodePage = GetConsoleOutputCP();
    return utf8FromCodePage(bytes, consoleCodePage ? consoleCodePage : GetOEMCP());
}

} // namespace platform::win32
