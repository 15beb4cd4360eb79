// The driver core seen through a replay instance: listeners and the host's C
// callbacks, their order, the lock rules, start checks and debug dumps.
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <regex>
#include <thread>

using namespace testsupport;

namespace {

// A listener that writes every notification into an EventLog under a name.
class Listener : public nerevnet::INerevnetCallback {
public:
    Listener(std::string name, EventLog& log) : m_name(std::move(name)), m_log(log) {}
    void onError(int32_t error, const char*) override { m_log.add(m_name + " error " + std::to_string(error)); }
    void onEvent(const NerevnetEvent* event) override { m_log.add(m_name + " event " + std::to_string(event->event)); }
    void onStart(int32_t role, bool success) override
    {
        m_log.add(m_name + " start " + std::to_string(role) + (success ? " true" : " false"));
    }
    void onStop(int32_t role) override { m_log.add(m_name + " stop " + std::to_string(role)); }
    void onConnectStatus(int32_t status) override { m_log.add(m_name + " status " + std::to_string(status)); }
    void onReceivePacket(const NerevnetPacket*, uint32_t) override
    {
        m_log.add(m_name + " packet");
        packets++;
    }
    std::atomic<int> packets{0};

private:
    std::string m_name;
    EventLog& m_log;
};

class Driver : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_recording = (m_dir.path() / "rec.h264").u8string();
        writeFile(m_recording, annexB({{0x67, 1, 2, 3}, {0x68, 4, 5, 6}, {0x65, 7, 8, 9}}));
    }
    void TearDown() override
    {
        for (NerevnetHandle handle : m_handles)
            nerevnet_shutdown(handle);
    }

    NerevnetHandle startup(int32_t role = Role_Client, bool debug = false, const char* logDir = nullptr)
    {
        NerevnetStartupConfig config = makeConfig(NetworkType_Mock, m_recording.c_str());
        config.role = role;
        config.debug = debug;
        config.logDir = logDir;
        int32_t error = -1;
        NerevnetHandle handle = nerevnet_startup(&config, &error);
        EXPECT_EQ(error, 0) << nerevnet_errorToString(error);
        if (handle)
            m_handles.push_back(handle);
        return handle;
    }

    void shutdown(NerevnetHandle handle)
    {
        nerevnet_shutdown(handle);
        m_handles.erase(std::remove(m_handles.begin(), m_handles.end(), handle), m_handles.end());
    }

    TempDir m_dir;
    std::string m_recording;
    std::vector<NerevnetHandle> m_handles;
    LogCapture& m_log = LogCapture::instance();
};

std::vector<std::string> withoutPackets(const std::vector<std::string>& entries)
{
    std::vector<std::string> out;
    for (const std::string& e : entries) {
        if (e.find("packet") == std::string::npos)
            out.push_back(e);
    }
    return out;
}

} // namespace

TEST_F(Driver, NotificationsReachListenersInOrderThenTheHost)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    EventLog log;
    Listener a("A", log), b("B", log);
    nerevnet::INerevnet* driver = nerevnet_getInstance(handle);
    driver->addCallback(&a);
    driver->addCallback(&b);
    driver->addCallback(&a); // registered once
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);

    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return b.packets >= 2; }));
    nerevnet_stop(handle);

    const std::vector<std::string> expected = {
        "A start 0 true", "B start 0 true", "start 0 true",
        "A status 1",     "B status 1",     "status 1",
        "A status 2",     "B status 2",     "status 2",
        "A event 1",      "B event 1",      "event 1",
        "A status 3",     "B status 3",     "status 3",
        "A stop 0",       "B stop 0",       "stop 0",
    };
    EXPECT_EQ(withoutPackets(log.entries()), expected);
    const auto all = log.entries();
    for (size_t i = 0; i + 2 < all.size(); ++i) {
        if (all[i] == "A packet") {
            EXPECT_EQ(all[i + 1], "B packet");
            EXPECT_EQ(all[i + 2], "packet");
        }
    }
    driver->removeCallback(&a);
    driver->removeCallback(&b);
}

TEST_F(Driver, RequireIdrFollowsConnectedWithTheCurrentTime)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    const int64_t before = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    const size_t mark = m_log.mark();
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return !log.events().empty(); }));
    nerevnet_stop(handle);
    const int64_t after = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();

    const auto events = log.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, NerevnetEventCode_RequireIDR);
    EXPECT_GE(events[0].timestamp, before);
    EXPECT_LE(events[0].timestamp, after);
    for (uint8_t b : events[0].params)
        ASSERT_EQ(b, 0);

    // In the log, the Connected line comes before the event line.
    const auto lines = m_log.since(mark);
    size_t connected = lines.size(), event = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text == "[Mock] OnConnectStatus(status: Connected)" && connected == lines.size())
            connected = i;
        if (lines[i].text == "[Mock] OnEvent(event: Require IDR)" && event == lines.size())
            event = i;
    }
    EXPECT_LT(connected, lines.size());
    EXPECT_LT(event, lines.size());
    EXPECT_LT(connected, event);
}

TEST_F(Driver, RemovedListenersHearNothingAndOthersKeepTheirOrder)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    EventLog log;
    Listener a("A", log), b("B", log), c("C", log), never("N", log);
    nerevnet::INerevnet* driver = nerevnet_getInstance(handle);
    driver->addCallback(&a);
    driver->addCallback(&b);
    driver->addCallback(&c);
    driver->removeCallback(&never); // not registered: no change
    driver->removeCallback(&b);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return c.packets >= 1; }));
    nerevnet_stop(handle);
    const auto entries = withoutPackets(log.entries());
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0], "A start 0 true");
    EXPECT_EQ(entries[1], "C start 0 true");
    for (const std::string& e : log.entries())
        EXPECT_TRUE(e[0] == 'A' || e[0] == 'C') << e;
    EXPECT_EQ(b.packets, 0);
    bool logged = false;
    for (const LogLine& line : m_log.lines())
        logged = logged || line.text.rfind("[Mock] Call Remove callback(callback: ", 0) == 0;
    EXPECT_TRUE(logged);
    driver->removeCallback(&a);
    driver->removeCallback(&c);
}

TEST_F(Driver, NullCallbackRecordClearsTheHostCallbacks)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    nerevnet_setCallback(handle, nullptr, &log);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    nerevnet_stop(handle);
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Driver, CallbacksMaySendWhileListenersComeAndGo)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    struct Context {
        NerevnetHandle handle;
        std::atomic<int> sent{0};
    } context{handle};
    NerevnetCallbacks callbacks{};
    // A host callback calling back into the same instance's sends and status.
    callbacks.onReceivePacket = [](const NerevnetPacket* packet, uint32_t, void* user) {
        auto* ctx = static_cast<Context*>(user);
        if (nerevnet_sendMessage(ctx->handle, "ack", 3, true) == 3 && nerevnet_sendPacket(ctx->handle, packet) &&
            nerevnet_isConnected(ctx->handle))
            ctx->sent++;
    };
    nerevnet_setCallback(handle, &callbacks, &context);
    nerevnet::INerevnet* driver = nerevnet_getInstance(handle);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);

    // Meanwhile the host thread adds and removes listeners: each call waits
    // for the running notification and then goes through.
    EventLog log;
    for (int i = 0; i < 20; ++i) {
        Listener listener("L" + std::to_string(i), log);
        driver->addCallback(&listener);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        driver->removeCallback(&listener);
    }
    ASSERT_TRUE(waitFor([&] { return context.sent >= 3; }));
    nerevnet_stop(handle);
}

TEST_F(Driver, StopFromInsideANotificationDoesNotHang)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    struct Context {
        NerevnetHandle handle;
        std::atomic<bool> stopped{false};
        std::atomic<int> stops{0};
    } context{handle};
    NerevnetCallbacks callbacks{};
    callbacks.onReceivePacket = [](const NerevnetPacket*, uint32_t, void* user) {
        auto* ctx = static_cast<Context*>(user);
        if (!ctx->stopped.exchange(true))
            nerevnet_stop(ctx->handle);
    };
    callbacks.onStop = [](int32_t, void* user) { static_cast<Context*>(user)->stops++; };
    nerevnet_setCallback(handle, &callbacks, &context);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return context.stops == 1; }));
    // Started again once the replay thread has ended by itself.
    context.stopped = true;
    EXPECT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    nerevnet_stop(handle);
    EXPECT_EQ(context.stops, 2);
}

TEST_F(Driver, StartChecksAddressForBothRolesAndPortForClients)
{
    for (int32_t role : {Role_Client, Role_Server}) {
        NerevnetHandle handle = startup(role);
        ASSERT_NE(handle, nullptr);
        EventLog log;
        NerevnetCallbacks callbacks = recordingCallbacks();
        nerevnet_setCallback(handle, &callbacks, &log);
        const size_t mark = m_log.mark();
        EXPECT_EQ(nerevnet_start(handle, "", 9000, nullptr), NerevnetErrorCode_InvalidParam);
        EXPECT_EQ(nerevnet_start(handle, nullptr, 9000, nullptr), NerevnetErrorCode_InvalidParam);
        EXPECT_EQ(m_log.count(mark, "[Mock] Invalid address"), 2u);
        EXPECT_TRUE(m_log.contains(mark, "[Mock] Call Start driver(address: , port: 9000, bindPort: 0)"));
        const std::string failed = "start " + std::to_string(role) + " false";
        EXPECT_EQ(log.entries(), (std::vector<std::string>{failed, failed}));

        const int32_t result = nerevnet_start(handle, "127.0.0.1", 0, nullptr);
        if (role == Role_Client) {
            EXPECT_EQ(result, NerevnetErrorCode_InvalidParam);
            EXPECT_TRUE(m_log.contains(mark, "[Mock] Start as client need a valid port", NerevnetLogLevel_Error));
        } else {
            EXPECT_EQ(result, 0) << "a server accepts port 0";
            EXPECT_TRUE(waitFor([&] { return !log.packets().empty(); }));
            EXPECT_TRUE(m_log.contains(mark, "[Mock] OnStart(role: server, success: true)"));
        }
        shutdown(handle);
    }
}

TEST_F(Driver, ReplayAcceptsEverySendAndIsAlwaysConnected)
{
    NerevnetHandle handle = startup();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(nerevnet_isConnected(handle)) << "also before start";
    EXPECT_EQ(nerevnet_sendMessage(handle, "hello", 5, false), 5);
    EXPECT_EQ(nerevnet_sendMessage(handle, "hello", 0, true), 0);
    const uint8_t bytes[] = {1, 2, 3};
    NerevnetPacket packet{};
    packet.data = bytes;
    packet.size = sizeof(bytes);
    const size_t mark = m_log.mark();
    EXPECT_TRUE(nerevnet_sendPacket(handle, &packet));
    EXPECT_TRUE(m_log.contains(mark, "[Mock] Call Send packet(mediaType: 0, timestamp: 0, size: 3)",
                               NerevnetLogLevel_Debug));
    const int32_t second = nerevnet_start(handle, "127.0.0.1", 1, nullptr);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(nerevnet_start(handle, "127.0.0.1", 1, nullptr), NerevnetErrorCode_InvalidParam)
        << "a second start while running is refused";
    nerevnet_stop(handle);
}

TEST_F(Driver, DebugModeDumpsAllTrafficIntoATimedFolder)
{
    NerevnetHandle handle = startup(Role_Client, true, m_dir.str().c_str());
    ASSERT_NE(handle, nullptr);
    const fs::path debugRoot = m_dir.path() / "NerevNetDebug";
    ASSERT_TRUE(fs::is_directory(debugRoot));
    std::vector<fs::path> dirs;
    for (const auto& entry : fs::directory_iterator(debugRoot))
        dirs.push_back(entry.path());
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_TRUE(std::regex_match(dirs[0].filename().u8string(), std::regex(R"(\d{2}-\d{2}_\d{2}-\d{2}-\d{2})")))
        << dirs[0];

    EXPECT_EQ(nerevnet_sendMessage(handle, "hello", 5, true), 5);
    EXPECT_EQ(nerevnet_sendMessage(handle, "world", 5, true), 5);
    const uint8_t video[] = {0, 0, 1, 0x65, 9};
    const uint8_t extra[] = {7, 7};
    NerevnetPacket packet{};
    packet.data = video;
    packet.size = sizeof(video);
    packet.extraData = extra;
    packet.extraSize = 0; // no extra dump for a zero size
    EXPECT_TRUE(nerevnet_sendPacket(handle, &packet));
    packet.extraSize = sizeof(extra);
    EXPECT_TRUE(nerevnet_sendPacket(handle, &packet));

    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return log.packets().size() >= 4; }));
    nerevnet_stop(handle);
    const auto received = log.packetBytes();
    shutdown(handle); // closes the dump files

    const fs::path dir = dirs[0];
    EXPECT_EQ(readText(dir / "input_message"), "helloworld");
    std::vector<uint8_t> twice(video, video + sizeof(video));
    twice.insert(twice.end(), video, video + sizeof(video));
    EXPECT_EQ(readFile(dir / "input_video"), twice);
    EXPECT_EQ(readFile(dir / "input_extra_data"), std::vector<uint8_t>(extra, extra + sizeof(extra)));
    std::vector<uint8_t> all;
    for (const auto& unit : received)
        all.insert(all.end(), unit.begin(), unit.end());
    EXPECT_EQ(readFile(dir / "receive_video"), all);
    EXPECT_FALSE(fs::exists(dir / "receive_extra_data"));
    EXPECT_FALSE(fs::exists(dir / "receive_message"));
}

TEST_F(Driver, NoDumpsWithoutDebugMode)
{
    NerevnetHandle handle = startup(Role_Client, false, m_dir.str().c_str());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(nerevnet_sendMessage(handle, "hello", 5, true), 5);
    shutdown(handle);
    EXPECT_FALSE(fs::exists(m_dir.path() / "NerevNetDebug"));
}

TEST_F(Driver, UncreatableDebugFolderFailsStartupWith202)
{
    const fs::path blocker = m_dir.path() / "not-a-folder";
    writeFile(blocker, {1});
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, m_recording.c_str());
    config.debug = true;
    const std::string logDir = blocker.u8string();
    config.logDir = logDir.c_str();
    const size_t mark = m_log.mark();
    int32_t error = -1;
    EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_CreateDebugDirectoryFail);
    bool sawFail = false;
    for (const LogLine& line : m_log.since(mark))
        sawFail = sawFail || (line.text.rfind("Create debug dir fail: ", 0) == 0 && line.level == NerevnetLogLevel_Error);
    EXPECT_TRUE(sawFail);
    EXPECT_TRUE(m_log.contains(mark, "Startup fail, init Mock fail"));
}

TEST_F(Driver, DebugFolderWithoutLogDirIsMadeInTheCurrentDirectory)
{
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.path());
    NerevnetHandle handle = startup(Role_Client, true, nullptr);
    fs::current_path(previous);
    ASSERT_NE(handle, nullptr);
    shutdown(handle);
    EXPECT_TRUE(fs::is_directory(m_dir.path() / "NerevNetDebug"));
}

TEST_F(Driver, DebugEnvironmentValueOneTurnsDebugOn)
{
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"2", false}, {"yes", false}, {"0", false}};
    for (const auto& [value, on] : cases) {
        TempDir logDir;
        ScopedEnv env("NEREVNET_DEBUG", value);
        NerevnetStartupConfig withDir = makeConfig(NetworkType_Mock, m_recording.c_str());
        const std::string dir = logDir.str();
        withDir.logDir = dir.c_str();
        const NerevnetStartupConfig before = withDir;
        NerevnetHandle handle = nerevnet_startup(&withDir, nullptr);
        ASSERT_NE(handle, nullptr) << value;
        shutdown(handle);
        EXPECT_EQ(fs::is_directory(logDir.path() / "NerevNetDebug"), on) << value;
        // The host's record is read, never written.
        EXPECT_EQ(std::memcmp(&before, &withDir, sizeof(before)), 0) << value;
    }
}
