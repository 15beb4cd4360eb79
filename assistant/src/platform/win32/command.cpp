#include "platform/command.h"

#include "child_output.h"
#include "win32_text.h"

#include <windows.h>

namespace platform {

CommandResult runCommand(const std::string &commandLine)
{
    CommandResult result;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!win32::outputPipe(readEnd, writeEnd, result.error)) {
        result.pipeFailed = true;
        return result;
    }

    STARTUPINFOW own{};
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    STARTUPINFOW si = win32::hiddenChild(
        (own.dwFlags & STARTF_USESTDHANDLES) ? own.hStdInput : GetStdHandle(STD_INPUT_HANDLE), writeEnd);

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
    // The caller gets UTF-8, so a Chinese folder in netsh's answer survives.
    result.output = win32::consoleOutputToUtf8(win32::readAll(readEnd));
    CloseHandle(readEnd);

    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (GetExitCodeProcess(pi.hProcess, &exitCode))
        result.exitCode = static_cast<int>(exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

} // namespace platform
