#include "platform/shared_block.h"
#include "posix_names.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string shmName(const std::string &name)
{
    return "/" + posix::flatName(name);
}

bool flockRetry(int fd, int op)
{
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

// The mutex is a lock on a shared-memory file of its own; the block carries a
// shared lock for every process that has it open, so an opener that can take
// it exclusively knows it is alone (what a fresh Win32 mapping tells by
// ERROR_ALREADY_EXISTS). flock locks die with their process, so a crashed
// peer never leaves the mutex held.
struct SharedBlock::Impl {
    int blockFd = -1;
    int mutexFd = -1;
    unsigned char *view = nullptr;
    std::size_t size = 0;
    bool createdHere = false;
    std::mutex threads;     // flock does not exclude threads sharing one descriptor
    std::string lastError;

    bool fail(const std::string &what)
    {
        lastError = what + ": " + std::strerror(errno);
        return false;
    }

    // Under the mutex no other opener can be between its check and its
    // shared lock, so the check for other users is exact.
    bool mapExclusively(const std::string &name, const std::string &mutexName, std::size_t wanted)
    {
        if (!flockRetry(mutexFd, LOCK_EX))
            return fail("lock " + mutexName);
        bool ok = true;
        if (flockRetry(blockFd, LOCK_EX | LOCK_NB))
            createdHere = true;
        else if (errno != EWOULDBLOCK)
            ok = fail("lock " + name);
        if (ok && !flockRetry(blockFd, LOCK_SH))
            ok = fail("lock " + name);
        struct stat st {};
        if (ok && ::fstat(blockFd, &st) != 0)
            ok = fail("fstat " + name);
        // A stale block may be shorter (or, fresh, empty); growing zero-fills.
        if (ok && static_cast<std::size_t>(st.st_size) < wanted
            && ::ftruncate(blockFd, static_cast<off_t>(wanted)) != 0)
            ok = fail("ftruncate " + name);
        if (ok) {
            void *mapped = ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE, MAP_SHARED, blockFd, 0);
            if (mapped == MAP_FAILED)
                ok = fail("mmap " + name);
            else
                view = static_cast<unsigned char *>(mapped);
        }
        flockRetry(mutexFd, LOCK_UN);
        return ok;
    }
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
    d.mutexFd = ::shm_open(shmName(mutexName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (d.mutexFd < 0)
        return d.fail("shm_open " + mutexName);
    d.blockFd = ::shm_open(shmName(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (d.blockFd < 0) {
        d.fail("shm_open " + name);
        close();
        return false;
    }

    bool ok;
    {
        std::lock_guard<std::mutex> threadLock(d.threads);
        ok = d.mapExclusively(name, mutexName, size);
    }
    if (!ok) {
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
    if (m_impl->mutexFd < 0)
        return false;
    m_impl->threads.lock();
    if (!flockRetry(m_impl->mutexFd, LOCK_EX)) {
        m_impl->fail("lock");
        m_impl->threads.unlock();
        return false;
    }
    return true;
}

void SharedBlock::unlock()
{
    if (m_impl->mutexFd < 0)
        return;
    flockRetry(m_impl->mutexFd, LOCK_UN);
    m_impl->threads.unlock();
}

void SharedBlock::close()
{
    Impl &d = *m_impl;
    if (d.view) {
        ::munmap(d.view, d.size);
        d.view = nullptr;
    }
    if (d.blockFd >= 0) {
        ::close(d.blockFd);
        d.blockFd = -1;
    }
    if (d.mutexFd >= 0) {
        ::close(d.mutexFd);
        d.mutexFd = -1;
    }
    d.size = 0;
    d.createdHere = false;
}

const std::string &SharedBlock::lastError() const
{
    return m_impl->lastError;
}

void SharedBlock::removeNames(const std::string &name, const std::string &mutexName)
{
    ::shm_unlink(shmName(name).c_str());
    ::shm_unlink(shmName(mutexName).c_str());
}

} // namespace platform
