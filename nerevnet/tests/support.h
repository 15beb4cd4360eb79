// Helpers shared by the library tests: temporary folders, recordings, the
// process-wide log capture and a recorder of notifications.
#pragma once

#include "nerevnet.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder removed again at the end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }
    std::string str() const { return m_path.u8string(); }

private:
    fs::path m_path;
};

std::vector<uint8_t> readFile(const fs::path& path);
std::string readText(const fs::path& path);
void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes);

// A start-up record for the given type with the current interface version.
NerevnetStartupConfig makeConfig(int32_t networkType, const char* filePath = nullptr);

// Everything the library's logger hands to the log callback.
struct LogLine {
    int32_t level;
    std::string text;
};
class LogCapture {
public:
    static LogCapture& instance();
    static void callback(int32_t level, const char* message, void* user);
    std::vector<LogLine> lines() const;
    size_t mark() const;
    // Lines since a mark.
    std::vector<LogLine> since(size_t mark) const;
    bool contains(size_t mark, const std::string& text, int32_t level = -1) const;
    size_t count(size_t mark, const std::string& text) const;

private:
    mutable std::mutex m_lock;
    std::vector<LogLine> m_lines;
};

// State made by the test program's environment before any test runs: the
// first start-up of the process fixes the library's log file.
// Its folders have Chinese names, as under a Chinese user name.
struct ProcessLog {
    fs::path logDir;
    fs::path logFile;
    std::string recording; // UTF-8
};
const ProcessLog& processLog();

// Local date as the daily log file names it.
fs::path logFileName(const fs::path& dir);

// Waits until pred() holds or the timeout passes; returns pred().
bool waitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Records notifications of the host's C callbacks and of listeners as text,
// in arrival order, shared between several sources.
class EventLog {
public:
    void add(std::string entry);
    std::vector<std::string> entries() const;
    size_t size() const;
    std::vector<NerevnetPacket> packets() const;
    std::vector<std::vector<uint8_t>> packetBytes() const;
    std::vector<NerevnetEvent> events() const;
    void addPacket(const NerevnetPacket* packet);
    void addEvent(const NerevnetEvent* event);

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_entries;
    std::vector<NerevnetPacket> m_packets;
    std::vector<std::vector<uint8_t>> m_packetBytes;
    std::vector<NerevnetEvent> m_events;
};

// The host's C callback record writing into an EventLog passed as user pointer.
NerevnetCallbacks recordingCallbacks();

// An Annex B recording: each unit gets the given start code in front.
std::vector<uint8_t> annexB(const std::vector<std::vector<uint8_t>>& units, bool longStartCode = false);

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string m_name;
    bool m_had = false;
    std::string m_old;
};

} // namespace testsupport
