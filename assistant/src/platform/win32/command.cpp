#include "platform/command.h"

#include "win32_text.h"

#include <windows.h>

namespace platform {

CommandResult runCommand(const std::string &commandLine)
{
    CommandResult result;
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        result.pipeFailed = true;
        result.error = win32::errorText("CreatePipe", GetLastError());
        return result;
    }
    // Only the write end belongs to the child.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW own{};
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = (own.dwFlags & STARTF_USESTDHANDLES) ? own.hStdInput : GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;

    std::wstring line = win32::widen(commandLine);
    line.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        result.error = win32::errorText("CreateProcess", GetLastError());
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return result;
    }
    result.started = true;
    CloseHandle(writeEnd);

    // Reading fails once the child and everything that inherited the pipe have ended.
    char block[1024];
    DWORD n = 0;
    while (ReadFile(readEnd, block, sizeof block, &n, nullptr) && n > 0)
        result.output.append(block, n);
    CloseHandle(readEnd);
    // Console programs (cmd, netsh) write into a pipe in their console's code
    // page: this process's console's, or for a program without a console the
    // OEM code page of the console the child gets (936 on a Chinese system).
    // The caller gets UTF-8, so a Chinese folder in netsh's answer survives.
    const UINT consoleCodePage = GetConsoleOutputCP();
    result.output = win32::utf8FromCodePage(result.output, consoleCodePage ? consoleCodePage : GetOEMCP());

    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (GetExitCodeProcess(pi.hProcess, &exitCode))
        result.exitCode = static_cast<int>(exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

} // namespace platform
