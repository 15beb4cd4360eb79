#include "platform/termination.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);

// The write end for the handler; -1 while nobody watches. Lock-free, so the
// handler may read it.
std::atomic<int> g_writeEnd { -1 };

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // Full pipe: the requests already waiting say enough.
        (void)!::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

std::string signalName(int number)
{
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(number);
    }
}

} // namespace

struct TerminationRequests::Impl {
    int readEnd = -1;
    int writeEnd = -1;
    struct sigaction previous[kSignalCount] {};
    std::string lastError;
};

TerminationRequests::TerminationRequests() : m_impl(new Impl) {}

TerminationRequests::~TerminationRequests()
{
    stop();
}

bool TerminationRequests::start()
{
    if (m_impl->readEnd >= 0)
        return true;
    if (g_writeEnd.load() >= 0) {
        m_impl->lastError = "termination requests are watched elsewhere in this process";
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_impl->lastError = std::string("pipe2: ") + std::strerror(errno);
        return false;
    }
    m_impl->readEnd = fds[0];
    m_impl->writeEnd = fds[1];
    g_writeEnd.store(fds[1]);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kSignals[i], &action, &m_impl->previous[i]) != 0) {
            m_impl->lastError = "sigaction " + signalName(kSignals[i]) + ": " + std::strerror(errno);
            for (int j = 0; j < i; ++j)
                ::sigaction(kSignals[j], &m_impl->previous[j], nullptr);
            g_writeEnd.store(-1);
            ::close(fds[0]);
            ::close(fds[1]);
            m_impl->readEnd = m_impl->writeEnd = -1;
            return false;
        }
    }
    return true;
}

void TerminationRequests::stop()
{
    if (m_impl->readEnd < 0)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &m_impl->previous[i], nullptr);
    g_writeEnd.store(-1);
    ::close(m_impl->readEnd);
    ::close(m_impl->writeEnd);
    m_impl->readEnd = m_impl->writeEnd = -1;
}

bool TerminationRequests::started() const
{
    return m_impl->readEnd >= 0;
}

std::intptr_t TerminationRequests::readHandle() const
{
    return m_impl->readEnd;
}

std::string TerminationRequests::takeRequest()
{
    if (m_impl->readEnd < 0)
        return {};
    int last = 0;
    unsigned char buffer[64];
    for (;;) {
        const ssize_t n = ::read(m_impl->readEnd, buffer, sizeof buffer);
        if (n > 0) {
            last = buffer[n - 1];
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return last == 0 ? std::string() : signalName(last);
}

const std::string &TerminationRequests::lastError() const
{
    return m_impl->lastError;
}

} // namespace platform
