#include "platform/socket_compat.h"
#include "platform/termination.h"
#include "win32_text.h"

#include <atomic>
#include <csignal>

namespace platform {
namespace {

// Bytes written for a console event: this base plus the event's number (the
// CRT's signal numbers stay below it).
constexpr unsigned char kConsoleEventBase = 100;
// The system ends the process when the handler of a close, log-off or
// shut-down event returns; it waits this long for the program's ending first.
constexpr DWORD kEndingGraceMs = 10000;

std::atomic<SOCKET> g_writeEnd { INVALID_SOCKET };
std::atomic<HANDLE> g_stopped { nullptr };

void notify(unsigned char code)
{
    const SOCKET s = g_writeEnd.load();
    if (s != INVALID_SOCKET)
        ::send(s, reinterpret_cast<const char *>(&code), 1, 0);
}

BOOL WINAPI onConsoleEvent(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        notify(static_cast<unsigned char>(kConsoleEventBase + type));
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        notify(static_cast<unsigned char>(kConsoleEventBase + type));
        if (HANDLE stopped = g_stopped.load())
            WaitForSingleObject(stopped, kEndingGraceMs);
        return TRUE;
    default:
        return FALSE;
    }
}

extern "C" void onCrtSignal(int number)
{
    // The CRT resets a handler to the default once it has run.
    std::signal(number, onCrtSignal);
    notify(static_cast<unsigned char>(number));
}

std::string requestName(int code)
{
    switch (code) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case kConsoleEventBase + CTRL_C_EVENT:
        return "CTRL_C_EVENT";
    case kConsoleEventBase + CTRL_BREAK_EVENT:
        return "CTRL_BREAK_EVENT";
    case kConsoleEventBase + CTRL_CLOSE_EVENT:
        return "CTRL_CLOSE_EVENT";
    case kConsoleEventBase + CTRL_LOGOFF_EVENT:
        return "CTRL_LOGOFF_EVENT";
    case kConsoleEventBase + CTRL_SHUTDOWN_EVENT:
        return "CTRL_SHUTDOWN_EVENT";
    default:
        return "request " + std::to_string(code);
    }
}

// A connected pair of loopback TCP sockets: Windows has no pipe that socket
// notifiers can watch.
bool socketPair(SOCKET &readEnd, SOCKET &writeEnd, std::string &error)
{
    readEnd = writeEnd = INVALID_SOCKET;
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) {
        error = win32::errorText("socket", static_cast<DWORD>(WSAGetLastError()));
        return false;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bool ok = ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::listen(listener, 1) == 0
        && ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0;
    if (ok) {
        writeEnd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ok = writeEnd != INVALID_SOCKET
            && ::connect(writeEnd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    if (ok) {
        readEnd = ::accept(listener, nullptr, nullptr);
        ok = readEnd != INVALID_SOCKET;
    }
    if (!ok) {
        error = win32::errorText("loopback socket pair", static_cast<DWORD>(WSAGetLastError()));
        if (writeEnd != INVALID_SOCKET)
            ::closesocket(writeEnd);
        readEnd = writeEnd = INVALID_SOCKET;
    }
    ::closesocket(listener);
    if (ok) {
        u_long nonBlocking = 1;
        ::ioctlsocket(readEnd, FIONBIO, &nonBlocking);
        const BOOL noDelay = TRUE;
        ::setsockopt(writeEnd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&noDelay), sizeof noDelay);
    }
    return ok;
}

} // namespace

struct TerminationRequests::Impl {
    SOCKET readEnd = INVALID_SOCKET;
    SOCKET writeEnd = INVALID_SOCKET;
    HANDLE stopped = nullptr;
    void (*previousInt)(int) = SIG_DFL;
    void (*previousTerm)(int) = SIG_DFL;
    std::string lastError;
};

TerminationRequests::TerminationRequests() : m_impl(new Impl) {}

TerminationRequests::~TerminationRequests()
{
    stop();
}

bool TerminationRequests::start()
{
    if (m_impl->readEnd != INVALID_SOCKET)
        return true;
    if (g_writeEnd.load() != INVALID_SOCKET) {
        m_impl->lastError = "termination requests are watched elsewhere in this process";
        return false;
    }
    socketStartup();
    if (!socketPair(m_impl->readEnd, m_impl->writeEnd, m_impl->lastError))
        return false;
    m_impl->stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_stopped.store(m_impl->stopped);
    g_writeEnd.store(m_impl->writeEnd);
    if (!SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        m_impl->lastError = win32::errorText("SetConsoleCtrlHandler", GetLastError());
        stop();
        return false;
    }
    m_impl->previousInt = std::signal(SIGINT, onCrtSignal);
    m_impl->previousTerm = std::signal(SIGTERM, onCrtSignal);
    return true;
}

void TerminationRequests::stop()
{
    if (m_impl->readEnd == INVALID_SOCKET)
        return;
    std::signal(SIGINT, m_impl->previousInt == SIG_ERR ? SIG_DFL : m_impl->previousInt);
    std::signal(SIGTERM, m_impl->previousTerm == SIG_ERR ? SIG_DFL : m_impl->previousTerm);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_writeEnd.store(INVALID_SOCKET);
    // A close, log-off or shut-down handler waiting for the program's ending
    // may let the system go on now.
    if (m_impl->stopped) {
        SetEvent(m_impl->stopped);
        g_stopped.store(nullptr);
    }
    ::closesocket(m_impl->readEnd);
    ::closesocket(m_impl->writeEnd);
    m_impl->readEnd = m_impl->writeEnd = INVALID_SOCKET;
    // The event stays open: a handler may still be waking up on it.
}

bool TerminationRequests::started() const
{
    return m_impl->readEnd != INVALID_SOCKET;
}

std::intptr_t TerminationRequests::readHandle() const
{
    return m_impl->readEnd == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(m_impl->readEnd);
}

std::string TerminationRequests::takeRequest()
{
    if (m_impl->readEnd == INVALID_SOCKET)
        return {};
    int last = -1;
    char buffer[64];
    for (;;) {
        const int n = ::recv(m_impl->readEnd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        last = static_cast<unsigned char>(buffer[n - 1]);
    }
    return last < 0 ? std::string() : requestName(last);
}

const std::string &TerminationRequests::lastError() const
{
    return m_impl->lastError;
}

} // namespace platform
