// nerevnet_startup and the instance exports, driven as a host drives them.
#include "support.h"

#include <gtest/gtest.h>

#include <climits>

using namespace testsupport;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_recording = (m_dir.path() / "rec.h264").u8string();
        writeFile(m_recording, annexB({{0x65, 1, 2, 3, 4}}));
    }

    NerevnetStartupConfig mockConfig() const { return makeConfig(NetworkType_Mock, m_recording.c_str()); }

    TempDir m_dir;
    std::string m_recording;
    LogCapture& m_log = LogCapture::instance();
};

struct VersionCase {
    const char* version;
    bool accepted;
};

class StartupVersion : public Startup, public ::testing::WithParamInterface<VersionCase> {};

} // namespace

TEST_F(Startup, NullConfigFailsWithInvalidParamAndLogsNothing)
{
    const size_t mark = m_log.mark();
    int32_t error = -1;
    EXPECT_EQ(nerevnet_startup(nullptr, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_InvalidParam);
    EXPECT_EQ(nerevnet_startup(nullptr, nullptr), nullptr) << "a null error pointer is allowed";
    EXPECT_TRUE(m_log.since(mark).empty());
}

TEST_P(StartupVersion, MajorMustMatchAndMinorMayNotBeNewer)
{
    const VersionCase& c = GetParam();
    NerevnetStartupConfig config = mockConfig();
    config.version = c.version;
    const size_t mark = m_log.mark();
    int32_t error = -1;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    if (c.accepted) {
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(error, 0);
        EXPECT_TRUE(m_log.contains(mark, "Startup success, type: Mock", NerevnetLogLevel_Info));
        nerevnet_shutdown(handle);
    } else {
        EXPECT_EQ(handle, nullptr);
        EXPECT_EQ(error, NerevnetErrorCode_VersionIncompatible);
        const std::string shown = c.version ? c.version : "";
        EXPECT_TRUE(m_log.contains(mark, "Startup fail, version not compatible: " + shown + " vs 2.3.3",
                                   NerevnetLogLevel_Error));
    }
    EXPECT_TRUE(m_log.contains(mark, "Nerevnet SDK version: 2.3.3", NerevnetLogLevel_Info));
}

INSTANTIATE_TEST_SUITE_P(Versions, StartupVersion,
                         ::testing::Values(VersionCase{"2.3.3", true}, VersionCase{"2.0.9", true},
                                           VersionCase{"2.3.7", true}, VersionCase{"2.0.0", true},
                                           VersionCase{"2.4.0", false}, VersionCase{"1.9.0", false},
                                           VersionCase{"3.0.0", false}, VersionCase{"", false},
                                           VersionCase{nullptr, false}, VersionCase{"two", false}));

TEST_F(Startup, TwoNumberVersionIsRejectedWithItsOwnLogLine)
{
    NerevnetStartupConfig config = mockConfig();
    config.version = "2.3";
    const size_t mark = m_log.mark();
    int32_t error = -1;
    EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_VersionIncompatible);
    EXPECT_TRUE(m_log.contains(mark, "Invalid config version: 2.3", NerevnetLogLevel_Error));
}

TEST_F(Startup, TypesWithoutDriverFailWithInvalidNetworkType)
{
    const std::pair<int32_t, const char*> cases[] = {
        {NetworkType_NerevTC, "NEREVTC"}, {NetworkType_Rtc, "RTC"}, {NetworkType_Steam, "Steam"},
        {6, "Unknown"}, {-1, "Unknown"}, {INT_MAX, "Unknown"}};
    for (const auto& [type, name] : cases) {
        NerevnetStartupConfig config = mockConfig();
        config.networkType = type;
        const size_t mark = m_log.mark();
        int32_t error = -1;
        EXPECT_EQ(nerevnet_startup(&config, &error), nullptr) << type;
        EXPECT_EQ(error, NerevnetErrorCode_InvalidNetworkType) << type;
        EXPECT_TRUE(m_log.contains(mark, std::string("Startup fail, invalid network type: ") + name,
                                   NerevnetLogLevel_Error))
            << type;
    }
}

TEST(MultiInstance, RuleByType)
{
    EXPECT_TRUE(nerevnet_isSupportMultiInstance(NetworkType_Mock));
    EXPECT_FALSE(nerevnet_isSupportMultiInstance(NetworkType_NerevTC));
    EXPECT_TRUE(nerevnet_isSupportMultiInstance(NetworkType_Tcp));
    EXPECT_TRUE(nerevnet_isSupportMultiInstance(NetworkType_Udp));
    EXPECT_FALSE(nerevnet_isSupportMultiInstance(NetworkType_Rtc));
    EXPECT_TRUE(nerevnet_isSupportMultiInstance(NetworkType_Steam));
    for (int32_t type : {6, 7, 100, -1, -5, INT_MIN, INT_MAX})
        EXPECT_FALSE(nerevnet_isSupportMultiInstance(type)) << type;
}

TEST_F(Startup, SeveralMockInstancesCoexist)
{
    NerevnetStartupConfig config = mockConfig();
    int32_t error = -1;
    NerevnetHandle first = nerevnet_startup(&config, &error);
    ASSERT_NE(first, nullptr);
    NerevnetHandle second = nerevnet_startup(&config, &error);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_NE(first, second);
    nerevnet_shutdown(first);
    nerevnet_shutdown(second);
}

TEST_F(Startup, MockNeedsAReadableRecording)
{
    NerevnetStartupConfig config = mockConfig();
    config.config.mock.filePath = nullptr;
    size_t mark = m_log.mark();
    int32_t error = -1;
    EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_InvalidParam);
    EXPECT_TRUE(m_log.contains(mark, "Invalid param: NerevnetStartupConfig.config.mock.filePath"));
    EXPECT_TRUE(m_log.contains(mark, "Startup fail, init Mock fail", NerevnetLogLevel_Error));

    const std::string missing = (m_dir.path() / "missing.h264").u8string();
    config.config.mock.filePath = missing.c_str();
    mark = m_log.mark();
    EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_InvalidParam);
    EXPECT_TRUE(m_log.contains(mark, "Open file fail: " + missing, NerevnetLogLevel_Error));
}

TEST_F(Startup, RecordIsCopiedSoTheHostMayFreeIt)
{
    auto* config = new NerevnetStartupConfig(mockConfig());
    std::string* path = new std::string(m_recording);
    config->config.mock.filePath = path->c_str();
    std::string* logDir = new std::string(m_dir.str());
    config->logDir = logDir->c_str();
    int32_t error = -1;
    NerevnetHandle handle = nerevnet_startup(config, &error);
    delete config;
    delete path;
    delete logDir;
    ASSERT_NE(handle, nullptr);
    EventLog events;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &events);
    EXPECT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    EXPECT_TRUE(waitFor([&] { return !events.packets().empty(); }));
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
}

TEST_F(Startup, GetInstanceReturnsTheHandle)
{
    NerevnetStartupConfig config = mockConfig();
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(static_cast<void*>(nerevnet_getInstance(handle)), handle);
    int dummy = 0;
    EXPECT_EQ(static_cast<void*>(nerevnet_getInstance(&dummy)), static_cast<void*>(&dummy));
    EXPECT_EQ(nerevnet_getInstance(nullptr), nullptr);
    nerevnet_shutdown(handle);
}

TEST_F(Startup, ShutdownOfAnUnknownHandleOnlyLogs)
{
    int notAnInstance = 0;
    const size_t mark = m_log.mark();
    nerevnet_shutdown(&notAnInstance);
    nerevnet_shutdown(nullptr);
    const auto lines = m_log.since(mark);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text.rfind("Destroy network instance: ", 0), 0u) << lines[0].text;
    EXPECT_EQ(lines[0].level, NerevnetLogLevel_Info);
}

TEST_F(Startup, ShutdownStopsAndDestroysTheDriver)
{
    NerevnetStartupConfig config = mockConfig();
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EventLog events;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &events);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return !events.packets().empty(); }));
    const size_t mark = m_log.mark();
    nerevnet_shutdown(handle);
    EXPECT_TRUE(m_log.contains(mark, "[Mock] Call Stop driver()"));
    EXPECT_TRUE(m_log.contains(mark, "Destroy MockDriver"));
    const auto entries = events.entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2], "status 3");
    EXPECT_EQ(entries.back(), "stop 0");
}

TEST(NullHandle, ThinExportsRefuseAndWarn)
{
    LogCapture& log = LogCapture::instance();
    const size_t mark = log.mark();
    uint32_t bindPort = 7;
    EXPECT_EQ(nerevnet_start(nullptr, "127.0.0.1", 9000, &bindPort), NerevnetErrorCode_NotStartup);
    EXPECT_EQ(bindPort, 7u);
    EXPECT_EQ(nerevnet_sendMessage(nullptr, "x", 1, true), 0);
    NerevnetPacket packet{};
    EXPECT_FALSE(nerevnet_sendPacket(nullptr, &packet));
    EXPECT_FALSE(nerevnet_isConnected(nullptr));
    nerevnet_stop(nullptr);
    NerevnetCallbacks callbacks{};
    nerevnet_setCallback(nullptr, &callbacks, nullptr);
    EXPECT_EQ(log.count(mark, "Please call nerevnet_startup first"), 6u);
    for (const LogLine& line : log.since(mark))
        EXPECT_EQ(line.level, NerevnetLogLevel_Warning) << line.text;
}

TEST_F(Startup, TcpAndUdpInstancesAreCreated)
{
    for (int32_t type : {NetworkType_Tcp, NetworkType_Udp}) {
        NerevnetStartupConfig config = mockConfig();
        config.networkType = type;
        const size_t mark = m_log.mark();
        int32_t error = -1;
        NerevnetHandle handle = nerevnet_startup(&config, &error);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(error, NerevnetErrorCode_Success);
        const std::string name = type == NetworkType_Tcp ? "TCP" : "UDP";
        EXPECT_TRUE(m_log.contains(mark, "Startup success, type: " + name));
        EXPECT_FALSE(nerevnet_isConnected(handle));
        nerevnet_shutdown(handle);
    }
}
