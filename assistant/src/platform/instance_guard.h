#pragma once

#include <memory>
#include <string>

namespace platform {

// Named single-instance guard. Win32: a named mutex, where ERROR_ALREADY_EXISTS
// means another instance holds it. POSIX: an exclusive lock on a file in the
// runtime folder; the kernel drops the lock when its holder dies, so a crashed
// instance never blocks the next start.
class InstanceGuard {
public:
    enum class Result { First, AlreadyRunning, Failed };

    InstanceGuard();
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard &) = delete;
    InstanceGuard &operator=(const InstanceGuard &) = delete;

    // Takes the guard for `name`. First: this process is the only instance and
    // keeps the guard until release() or the end of the process.
    Result acquire(const std::string &name);
    // Gives the guard (or the handle of a failed attempt) back.
    void release();
    // Text of the last system error, for the log.
    const std::string &lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
