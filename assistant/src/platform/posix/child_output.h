#pragma once
// Child processes of the Linux backend whose output is read through a pipe.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace platform::posix {

// A close-on-exec pipe, and spawn actions that give its write end to the child as its
// standard output and error. False with `error` set when the pipe cannot be made.
inline bool outputPipe(int fds[2], posix_spawn_file_actions_t &actions, std::string &error)
{
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    return true;
}

// Appends one read's worth to `out`; false once every writer has closed its end.
inline bool readSome(int fd, std::string &out)
{
    char block[4096];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n > 0) {
            out.append(block, static_cast<size_t>(n));
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

// Waits for the child to end: its exit code, or -1 when a signal ended it.
inline int waitExitCode(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace platform::posix
