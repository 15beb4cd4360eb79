// Blocking writes on the native handle of a socket that an asio event loop
// reads at the same time. The host's thread writes while the transport
// thread has a read pending; going through the native handle keeps the two
// threads from sharing asio's per-socket state. The library's only
// platform-specific socket code is behind this header, in
// socket_io_posix.cpp and socket_io_win32.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace nerevnet {

#ifdef _WIN32
using NativeSocket = uintptr_t;
#else
using NativeSocket = int;
#endif

// Puts the socket in non-blocking mode, so that writeAll() can wait in
// bounded steps. asio's own operations work the same on such a socket.
void setNonBlocking(NativeSocket socket);

// Waits up to timeoutMs for the socket to have something to read (or an
// error to report). False when the time passed first.
bool waitReadable(NativeSocket socket, int timeoutMs);

// Writes both buffers completely, waiting while the socket's send buffer is
// full. Returns false with a readable error text when the connection fails,
// or when `cancel` becomes true while it waits (checked every 100 ms).
bool writeAll(NativeSocket socket, const void* first, size_t firstLength, const void* second,
              size_t secondLength, const std::atomic<bool>& cancel, std::string& error);

// Makes an unconnected UDP socket report ICMP errors (peer port closed) as a
// failed receive, as Windows does by default. This is how a channel notices
// that its peer went away while traffic flows to it.
void enableUdpErrorReports(NativeSocket socket);

// Discards the ICMP reports queued on such a socket, so that a socket kept
// open after its peer went away does not fill its buffer with them.
void drainUdpErrorReports(NativeSocket socket);

}  // namespace nerevnet
