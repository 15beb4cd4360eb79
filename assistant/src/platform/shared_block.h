#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// A named block of shared memory together with the named cross-process mutex
// that guards it. Win32: a paging-file mapping and a named mutex. POSIX: a
// POSIX shared-memory object and a lock file beside it; both locks are dropped
// by the kernel when their holder dies.
class SharedBlock {
public:
    SharedBlock();
    ~SharedBlock();
    SharedBlock(const SharedBlock &) = delete;
    SharedBlock &operator=(const SharedBlock &) = delete;

    // Opens (creating when needed) the mutex `mutexName` and the block `name`
    // of `size` bytes and maps it. False on any failure, see lastError().
    bool open(const std::string &name, const std::string &mutexName, std::size_t size);
    // True when no other process had the block open when this process opened
    // it: the contents are then this process's to initialise.
    bool createdHere() const;
    bool isOpen() const;
    // The mapped bytes; null when not open.
    unsigned char *data() const;
    std::size_t size() const;

    // Waits without time limit for the cross-process mutex. It also excludes
    // other threads of this process.
    bool lock();
    void unlock();

    // Unmaps the view and closes both objects; the block vanishes when its
    // last user closes it.
    void close();
    const std::string &lastError() const;

    // Removes names a crashed user may have left behind (POSIX only; on Win32
    // the kernel does this by itself and the call does nothing).
    static void removeNames(const std::string &name, const std::string &mutexName);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
