#include "platform/program_run.h"

#include "child_output.h"
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

// The program and its arguments as one command line, each quoted where it needs it.
std::wstring commandLine(const ProgramCommand &command)
{
    std::wstring line = quoteArgument(win32::widen(command.program));
    for (const std::string &a : command.arguments)
        line += L" " + quoteArgument(win32::widen(a));
    line.push_back(L'\0');
    return line;
}

// Waits for the program within `timeoutMs` (its exit code, or the time-out, into `result`),
// lets what it started have the rest of the time, then ends whatever of the job is left.
void awaitJob(HANDLE process, HANDLE job, int timeoutMs, ProgramResult &result)
{
    const DWORD limit = static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0);
    const ULONGLONG deadline = GetTickCount64() + limit;
    if (WaitForSingleObject(process, limit) != WAIT_OBJECT_0) {
        result.timedOut = true;
        TerminateJobObject(job, 1);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        return;
    }
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process, &exitCode))
        result.exitCode = static_cast<int>(exitCode);
    // What it started may still hold the pipe: it gets the rest of the time.
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    while (GetTickCount64() < deadline
           && QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr)
           && info.ActiveProcesses > 0)
        Sleep(20);
    TerminateJobObject(job, 1);
}

} // namespace

ProgramResult runProgram(const ProgramCommand &command, int timeoutMs)
{
    ProgramResult result;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!win32::outputPipe(readEnd, writeEnd, result.error))
        return result;

    std::wstring line = commandLine(command);
    STARTUPINFOW si = win32::hiddenChild(nullptr, writeEnd);

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
        result.error = win32::errorText(command.program, GetLastError());
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
    std::thread reader([&bytes, readEnd] { bytes = win32::readAll(readEnd); });

    awaitJob(pi.hProcess, job, timeoutMs, result);
    // Every writer was in the job and is gone now, so the reader has ended its last read.
    reader.join();
    CloseHandle(readEnd);
    result.output = win32::consoleOutputToUtf8(bytes);

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
