#include "platform/shell.h"

#include "win32_text.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

ShellResult shellExecute(const ShellRequest &request)
{
    ShellResult result;
    const std::wstring file = win32::widen(request.file);
    const std::wstring verb = win32::widen(request.verb);
    const std::wstring params = win32::widen(request.parameters);
    const std::wstring dir = win32::widen(request.workingDirectory);
    const int show = request.hidden ? SW_HIDE : SW_SHOWNORMAL;

    if (request.waitMs <= 0) {
        const HINSTANCE value = ShellExecuteW(nullptr, verb.c_str(), file.c_str(),
                                              params.empty() ? nullptr : params.c_str(),
                                              dir.empty() ? nullptr : dir.c_str(), show);
        result.code = static_cast<long>(reinterpret_cast<INT_PTR>(value));
        result.started = result.code > 32;
        return result;
    }

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = params.empty() ? nullptr : params.c_str();
    info.lpDirectory = dir.empty() ? nullptr : dir.c_str();
    info.nShow = show;
    if (!ShellExecuteExW(&info)) {
        result.code = static_cast<long>(GetLastError());
        return result;
    }
    result.started = true;
    if (!info.hProcess) {
        result.wait = ShellResult::Wait::NoProcess;
        return result;
    }
    const DWORD wait = WaitForSingleObject(info.hProcess, static_cast<DWORD>(request.waitMs));
    if (wait == WAIT_OBJECT_0) {
        result.wait = ShellResult::Wait::Finished;
    } else if (wait == WAIT_TIMEOUT) {
        result.wait = ShellResult::Wait::TimedOut;
    } else {
        result.wait = ShellResult::Wait::Failed;
        result.code = static_cast<long>(GetLastError());
    }
    CloseHandle(info.hProcess);
    return result;
}

bool openUrlDetached(const std::string &url)
{
    std::wstring commandLine = L"explorer " + win32::widen(url);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si,
                        &pi)) {
        // Without explorer the shell hands the URL to its registered handler itself.
        const std::wstring wide = win32::widen(url);
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL))
            > 32;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

} // namespace platform
