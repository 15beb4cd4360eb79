#include "platform/process.h"

#include "win32_text.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

namespace platform {

std::vector<ProcessEntry> listProcesses()
{
    std::vector<ProcessEntry> out;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        ProcessEntry e;
        e.pid = entry.th32ProcessID;
        e.name = win32::narrowField(entry.szExeFile);
        out.push_back(std::move(e));
    }
    CloseHandle(snapshot);
    return out;
}

std::string processExecutablePath(std::uint32_t pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return {};
    // A path longer than the buffer comes back cut to its size: grow until
    // the whole path fits (long paths reach 32767 characters).
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = 0;
    for (;;) {
        n = K32GetModuleFileNameExW(process, nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= 32768)
            break;
        path.resize(path.size() * 2);
    }
    CloseHandle(process);
    if (n == 0 || n >= path.size())
        return {};
    path.resize(n);
    return win32::narrow(path);
}

bool terminateProcess(std::uint32_t pid)
{
    if (pid == 0 || pid == GetCurrentProcessId())
        return false;
    std::wstring commandLine = L"taskkill /PID " + std::to_wstring(pid) + L" /F";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return false;
    // Waited for like a synchronous start and finish of 30 s each.
    const DWORD wait = WaitForSingleObject(pi.hProcess, 60000);
    DWORD exitCode = 1;
    if (wait == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return wait == WAIT_OBJECT_0 && exitCode == 0;
}

std::uint32_t currentProcessId()
{
    return GetCurrentProcessId();
}

} // namespace platform
