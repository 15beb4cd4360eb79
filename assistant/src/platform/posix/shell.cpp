#include "platform/shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

namespace platform {
namespace {

std::vector<std::string> splitParams(const std::string& params)
{
    std::vector<std::string> out;
    std::istringstream in(params);
    for (std::string p; in >> p;)
        out.push_back(p);
    return out;
}

// Starts argv[0] in `dir`; exec failures come back through a close-on-exec pipe. With
// `detach` the program is started by a short-lived middle process so that it is nobody's
// child here and never becomes a zombie of this process.
pid_t spawn(const std::vector<std::string>& args, const std::string& dir, bool detach, int& err)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        err = errno;
        return -1;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        err = errno;
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        close(fds[0]);
        if (detach) {
            setsid();
            const pid_t grandchild = fork();
            if (grandchild != 0)
                _exit(grandchild < 0 ? 127 : 0);
        }
        const int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0)
            dup2(devnull, STDIN_FILENO);
        if (!dir.empty() && chdir(dir.c_str()) != 0) {
            int e = errno;
            (void)!write(fds[1], &e, sizeof e);
            _exit(127);
        }
        execvp(argv[0], argv.data());
        int e = errno;
        (void)!write(fds[1], &e, sizeof e);
        _exit(127);
    }
    close(fds[1]);
    int childErr = 0;
    ssize_t n;
    do {
        n = read(fds[0], &childErr, sizeof childErr);
    } while (n < 0 && errno == EINTR);
    close(fds[0]);
    if (detach) {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (n == static_cast<ssize_t>(sizeof childErr)) {
        err = childErr;
        if (!detach) {
            int status;
            waitpid(pid, &status, 0);
        }
        return -1;
    }
    return pid;
}

void reapLater(pid_t pid)
{
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

bool findOnPath(const std::string& name, std::string& full)
{
    const char* path = std::getenv("PATH");
    std::istringstream in(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(in, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            full = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

ShellResult shellExecute(const ShellRequest& request)
{
    ShellResult result;
    std::vector<std::string> args{request.file};
    for (auto& p : splitParams(request.parameters))
        args.push_back(p);
    const bool wait = request.waitMs > 0;
    int err = 0;
    const pid_t pid = spawn(args, request.workingDirectory, !wait, err);
    if (pid < 0) {
        result.code = err;
        return result;
    }
    result.started = true;
    if (!wait)
        return result;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(request.waitMs);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            result.wait = ShellResult::Wait::Finished;
            return result;
        }
        if (r < 0 && errno != EINTR) {
            result.wait = ShellResult::Wait::Failed;
            result.code = errno;
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            result.wait = ShellResult::Wait::TimedOut;
            reapLater(pid);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool openUrlDetached(const std::string& url)
{
    std::string program;
    if (url.rfind("steam:", 0) != 0 || !findOnPath("steam", program))
        program = "xdg-open";
    int err = 0;
    return spawn({program, url}, std::string(), true, err) >= 0;
}

} // namespace platform
