#include "platform/command.h"

#include "child_output.h"

#include <spawn.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace platform {

CommandResult runCommand(const std::string& commandLine)
{
    CommandResult result;
    int fds[2];
    posix_spawn_file_actions_t actions;
    if (!posix::outputPipe(fds, actions, result.error)) {
        result.pipeFailed = true;
        return result;
    }

    const char* argv[] = {"/bin/sh", "-c", commandLine.c_str(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        result.error = std::string("posix_spawn: ") + std::strerror(rc);
        return result;
    }
    result.started = true;

    // Until every writer (the shell and whatever it started) has closed its end.
    while (posix::readSome(fds[0], result.output)) {
    }
    close(fds[0]);
    result.exitCode = posix::waitExitCode(pid);
    return result;
}

} // namespace platform
