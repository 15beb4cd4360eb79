#include "platform/instance_guard.h"
#include "posix_names.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

struct InstanceGuard::Impl {
    int fd = -1;
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
    const std::string path = posix::runtimeDir() + "/" + posix::flatName(name) + ".lock";
    // O_CLOEXEC: programs this instance starts must not inherit the lock.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_impl->lastError = path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return Result::AlreadyRunning;
        m_impl->lastError = path + ": " + std::strerror(err);
        return Result::Failed;
    }
    m_impl->fd = fd;
    return Result::First;
}

void InstanceGuard::release()
{
    // The lock file stays: removing it would let a third instance lock a new
    // file while the second still waits on the old one.
    if (m_impl->fd >= 0) {
        ::close(m_impl->fd);
        m_impl->fd = -1;
    }
}

const std::string &InstanceGuard::lastError() const
{
    return m_impl->lastError;
}

} // namespace platform
