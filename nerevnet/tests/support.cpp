#include "support.h"

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace testsupport {

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const std::string name = "nerevnet-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
                                 "-" + std::to_string(random() % 100000);
        m_path = base / name;
        if (fs::create_directory(m_path))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::vector<uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string readText(const fs::path& path)
{
    const std::vector<uint8_t> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

NerevnetStartupConfig makeConfig(int32_t networkType, const char* filePath)
{
    NerevnetStartupConfig config{};
    config.version = NEREVNET_VERSION;
    config.networkType = networkType;
    config.reconnectInterval = 1;
    config.role = Role_Client;
    config.logLevel = NerevnetLogLevel_Debug;
    config.config.mock.filePath = filePath;
    return config;
}

LogCapture& LogCapture::instance()
{
    static LogCapture capture;
    return capture;
}

void LogCapture::callback(int32_t level, const char* message, void* user)
{
    auto* self = static_cast<LogCapture*>(user);
    std::lock_guard<std::mutex> lock(self->m_lock);
    self->m_lines.push_back({level, message ? message : ""});
}

std::vector<LogLine> LogCapture::lines() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

size_t LogCapture::mark() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines.size();
}

std::vector<LogLine> LogCapture::since(size_t mark) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (mark >= m_lines.size())
        return {};
    return std::vector<LogLine>(m_lines.begin() + static_cast<std::ptrdiff_t>(mark), m_lines.end());
}

bool LogCapture::contains(size_t mark, const std::string& text, int32_t level) const
{
    for (const LogLine& line : since(mark)) {
        if (line.text == text && (level < 0 || line.level == level))
            return true;
    }
    return false;
}

size_t LogCapture::count(size_t mark, const std::string& text) const
{
    size_t n = 0;
    for (const LogLine& line : since(mark))
        n += line.text == text ? 1 : 0;
    return n;
}

fs::path logFileName(const fs::path& dir)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char name[64];
    std::snprintf(name, sizeof(name), "nerevnet_%04d-%02d-%02d.log", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return dir / name;
}

bool waitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void EventLog::add(std::string entry)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries.push_back(std::move(entry));
}

std::vector<std::string> EventLog::entries() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_entries;
}

size_t EventLog::size() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_entries.size();
}

std::vector<NerevnetPacket> EventLog::packets() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_packets;
}

std::vector<std::vector<uint8_t>> EventLog::packetBytes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_packetBytes;
}

std::vector<NerevnetEvent> EventLog::events() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_events;
}

void EventLog::addPacket(const NerevnetPacket* packet)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_packets.push_back(*packet);
    m_packetBytes.emplace_back(packet->data, packet->data + packet->size);
    m_entries.push_back("packet");
}

void EventLog::addEvent(const NerevnetEvent* event)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.push_back(*event);
    m_entries.push_back("event " + std::to_string(event->event));
}

NerevnetCallbacks recordingCallbacks()
{
    NerevnetCallbacks callbacks{};
    callbacks.onError = [](int32_t error, const char* message, void* user) {
        static_cast<EventLog*>(user)->add("error " + std::to_string(error) + " " + (message ? message : ""));
    };
    callbacks.onEvent = [](const NerevnetEvent* event, void* user) { static_cast<EventLog*>(user)->addEvent(event); };
    callbacks.onStart = [](int32_t role, bool success, void* user) {
        static_cast<EventLog*>(user)->add("start " + std::to_string(role) + " " + (success ? "true" : "false"));
    };
    callbacks.onStop = [](int32_t role, void* user) {
        static_cast<EventLog*>(user)->add("stop " + std::to_string(role));
    };
    callbacks.onConnectStatus = [](int32_t status, void* user) {
        static_cast<EventLog*>(user)->add("status " + std::to_string(status));
    };
    callbacks.onStatistics = [](const NerevnetStatistics*, void* user) {
        static_cast<EventLog*>(user)->add("statistics");
    };
    callbacks.onReceiveMessage = [](const char* data, uint32_t length, void* user) {
        static_cast<EventLog*>(user)->add("message " + std::string(data, length));
    };
    callbacks.onReceivePacket = [](const NerevnetPacket* packet, uint32_t reserved, void* user) {
        if (reserved != 0)
            static_cast<EventLog*>(user)->add("bad reserved");
        static_cast<EventLog*>(user)->addPacket(packet);
    };
    return callbacks;
}

std::vector<uint8_t> annexB(const std::vector<std::vector<uint8_t>>& units, bool longStartCode)
{
    std::vector<uint8_t> out;
    for (const auto& unit : units) {
        if (longStartCode)
            out.push_back(0);
        out.insert(out.end(), {0, 0, 1});
        out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_had = true;
        m_old = old;
    }
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

ScopedEnv::~ScopedEnv()
{
#ifdef _WIN32
    _putenv_s(m_name.c_str(), m_had ? m_old.c_str() : "");
#else
    if (m_had)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
#endif
}

} // namespace testsupport
