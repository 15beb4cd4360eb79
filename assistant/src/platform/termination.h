#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The system's requests that the program end. POSIX: SIGTERM, SIGINT and
// SIGHUP. Win32: the console's Ctrl+C, Ctrl+Break, close, log-off and
// shut-down events, and SIGINT/SIGTERM raised in the process (a windowed
// program learns of the session's end through window messages, which the GUI
// toolkit reports on its own).
//
// The handlers only write one byte into a pipe (POSIX) or a loopback socket
// pair (Win32). The program watches the read end like a socket, for example
// with an event-loop notifier, and ends in its own time on its own thread.
// Once started, the handlers stay until stop(): a second request while the
// program is already ending only adds a byte and does not cut the ending short.
class TerminationRequests {
public:
    TerminationRequests();
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests &) = delete;
    TerminationRequests &operator=(const TerminationRequests &) = delete;

    // Installs the handlers. Only one object of the process can be started at
    // a time; false (see lastError()) for a second one or when the pipe or a
    // handler cannot be had.
    bool start();
    // Puts the earlier handlers back and closes the pipe.
    void stop();
    bool started() const;
    // The read end to watch for readability (a file descriptor, or a SOCKET
    // on Win32); -1 when not started.
    std::intptr_t readHandle() const;
    // Empties the read end. The name of the last request that came ("SIGTERM",
    // "CTRL_SHUTDOWN_EVENT", ...), or "" when none came since the last call.
    std::string takeRequest();
    const std::string &lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
