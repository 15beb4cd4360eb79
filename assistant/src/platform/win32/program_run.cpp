#include "platform/program_run.h"

#include "win32_text.h"

#include <windows.h>

#include <thread>

namespace platform {
namespace {

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring quoteArgument(const std::wstring &arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    for (auto it = arg.begin();; ++it) {
        std::size_t backslashes = 0;
        while (it != arg.end() && *it == L'\\') {
            ++it;
            ++backslashes;
        }
        if (it == arg.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (*it == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
            out.push_back(L'"');
        } else {
            out.append(backslashes, L'\\');
            out.push_back(*it);
        }
    }
    out.push_back(L'"');
    return out;
}

bool isFile(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

ProgramResult runProgram(const CommandSpec &spec, int timeoutMs)
{
    ProgramResult result;
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        result.error = win32::errorText("CreatePipe", GetLastError());
        return result;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring line = quoteArgument(win32::widen(spec.program));
    for (const std::string &a : spec.arguments)
        line += L" " + quoteArgument(win32::widen(a));
    line.push_back(L'\0');

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = nullptr;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;

    // The job ends the program and whatever it started when the time is up.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) {
        result.error = win32::errorText("CreateJobObject", GetLastError());
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return result;
    }
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        result.error = win32::errorText(spec.program, GetLastError());
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        CloseHandle(job);
        return result;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    result.started = true;
    CloseHandle(writeEnd);

    std::string bytes;
    std::thread reader([&bytes, readEnd] {
        char block[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, block, sizeof block, &n, nullptr) && n > 0)
            bytes.append(block, n);
    });

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0)) != WAIT_OBJECT_0) {
        result.timedOut = true;
        TerminateJobObject(job, 1);
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    } else {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(pi.hProcess, &exitCode))
            result.exitCode = static_cast<int>(exitCode);
        // What it started may still hold the pipe: it gets the rest of the time.
        const ULONGLONG now = GetTickCount64();
        if (now < deadline) {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
            while (GetTickCount64() < deadline
                   && QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr)
                   && info.ActiveProcesses > 0)
                Sleep(20);
        }
        TerminateJobObject(job, 1);
    }
    // Every writer was in the job and is gone now, so the reader has ended its last read.
    reader.join();
    CloseHandle(readEnd);
    const UINT consoleCodePage = GetConsoleOutputCP();
    result.output = win32::utf8FromCodePage(bytes, consoleCodePage ? consoleCodePage : GetOEMCP());

    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(job);
    return result;
}

std::string systemToolPath(const std::string &name)
{
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || name.empty())
        return {};
    const std::wstring system(folder, n);
    const std::wstring file = win32::widen(name) + L".exe";
    std::wstring candidates[] = {system + L"\\WindowsPowerShell\\v1.0\\" + file, system + L"\\" + file};
    for (const std::wstring &candidate : candidates) {
        if (isFile(candidate))
            return win32::narrow(candidate);
    }
    return {};
}

} // namespace platform
