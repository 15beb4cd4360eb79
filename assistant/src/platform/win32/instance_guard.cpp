#include "platform/instance_guard.h"
#include "win32_text.h"

namespace platform {

struct InstanceGuard::Impl {
    HANDLE mutex = nullptr;
    std::string lastError;
};

InstanceGuard::InstanceGuard() : m_impl(new Impl) {}

InstanceGuard::~InstanceGuard()
{
    release();
}

InstanceGuard::Result InstanceGuard::acquire(const std::string &name)
{
    release();
    // No security attributes, not initially owned: the mere existence of the
    // named mutex marks a running instance.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, win32::widen(name).c_str());
    const DWORD error = GetLastError();
    if (!mutex) {
        m_impl->lastError = win32::errorText("CreateMutexW " + name, error);
        return Result::Failed;
    }
    m_impl->mutex = mutex;
    return error == ERROR_ALREADY_EXISTS ? Result::AlreadyRunning : Result::First;
}

void InstanceGuard::release()
{
    if (m_impl->mutex) {
        CloseHandle(m_impl->mutex);
        m_impl->mutex = nullptr;
    }
}

const std::string &InstanceGuard::lastError() const
{
    return m_impl->lastError;
}

} // namespace platform
