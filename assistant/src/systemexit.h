#pragma once

class QGuiApplication;

// Ends the event loop when the system ends the program (SIGTERM, SIGINT or
// SIGHUP on Linux; the session's end on Windows, which the application reports
// as a commit-data request), so that what runs after the loop, above all the
// controller's exit sequence, runs as after a normal close. The watch stays
// installed for the rest of the process: a second request during the ending
// does not cut it short.
namespace SystemExit {

// False (and a log line) when the system's requests cannot be watched; the
// program then runs without this safety.
bool quitOnRequest(QGuiApplication &app);

} // namespace SystemExit
