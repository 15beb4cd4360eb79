#include "platform/shared_block.h"
#include "win32_text.h"

namespace platform {

struct SharedBlock::Impl {
    HANDLE mapping = nullptr;
    HANDLE mutex = nullptr;
    unsigned char *view = nullptr;
    std::size_t size = 0;
    bool createdHere = false;
    std::string lastError;
};

SharedBlock::SharedBlock() : m_impl(new Impl) {}

SharedBlock::~SharedBlock()
{
    close();
}

bool SharedBlock::open(const std::string &name, const std::string &mutexName, std::size_t size)
{
    close();
    Impl &d = *m_impl;
    d.mutex = CreateMutexW(nullptr, FALSE, win32::widen(mutexName).c_str());
    if (!d.mutex) {
        d.lastError = win32::errorText("CreateMutexW " + mutexName, GetLastError());
        return false;
    }
    const unsigned long long wanted = size;
    d.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                   static_cast<DWORD>(wanted >> 32), static_cast<DWORD>(wanted & 0xFFFFFFFFu),
                                   win32::widen(name).c_str());
    const DWORD mappingError = GetLastError();
    if (!d.mapping) {
        d.lastError = win32::errorText("CreateFileMappingW " + name, mappingError);
        close();
        return false;
    }
    d.createdHere = mappingError != ERROR_ALREADY_EXISTS;
    d.view = static_cast<unsigned char *>(MapViewOfFile(d.mapping, FILE_MAP_ALL_ACCESS, 0, 0, size));
    if (!d.view) {
        d.lastError = win32::errorText("MapViewOfFile " + name, GetLastError());
        close();
        return false;
    }
    d.size = size;
    return true;
}

bool SharedBlock::createdHere() const
{
    return m_impl->createdHere;
}

bool SharedBlock::isOpen() const
{
    return m_impl->view != nullptr;
}

unsigned char *SharedBlock::data() const
{
    return m_impl->view;
}

std::size_t SharedBlock::size() const
{
    return m_impl->size;
}

bool SharedBlock::lock()
{
    if (!m_impl->mutex)
        return false;
    // WAIT_ABANDONED: a peer died holding the mutex; the wait still owns it.
    const DWORD rc = WaitForSingleObject(m_impl->mutex, INFINITE);
    if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED)
        return true;
    m_impl->lastError = win32::errorText("WaitForSingleObject", GetLastError());
    return false;
}

void SharedBlock::unlock()
{
    if (m_impl->mutex)
        ReleaseMutex(m_impl->mutex);
}

void SharedBlock::close()
{
    Impl &d = *m_impl;
    if (d.view) {
        UnmapViewOfFile(d.view);
        d.view = nullptr;
    }
    if (d.mapping) {
        CloseHandle(d.mapping);
        d.mapping = nullptr;
    }
    if (d.mutex) {
        CloseHandle(d.mutex);
        d.mutex = nullptr;
    }
    d.size = 0;
    d.createdHere = false;
}

const std::string &SharedBlock::lastError() const
{
    return m_impl->lastError;
}

void SharedBlock::removeNames(const std::string &, const std::string &) {}

} // namespace platform
