// Test program entry. Before any test, the environment does what a host does
// first: it sets its log callback and makes the process's first start-up,
// which fixes the library's log file for the rest of the process (each test
// may run in its own process or all in one, as under Wine).
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace testsupport {
namespace {

ProcessLog g_processLog;

class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        // NEREVNET_DEBUG from the caller's shell must not change the tests.
        m_env = std::make_unique<ScopedEnv>("NEREVNET_DEBUG", nullptr);
        m_dir = std::make_unique<TempDir>();
        g_processLog.logDir = m_dir->path() / fs::u8path(u8"日志 logs");
        const fs::path recording = m_dir->path() / fs::u8path(u8"首个录像.h264");
        g_processLog.recording = recording.u8string();
        writeFile(recording, annexB({{0x67, 1, 2, 3}, {0x68, 4, 5, 6}}));

        nerevnet_setLogCallback(&LogCapture::callback, &LogCapture::instance());
        NerevnetStartupConfig config = makeConfig(NetworkType_Mock, g_processLog.recording.c_str());
        const std::string logDir = g_processLog.logDir.u8string();
        config.logDir = logDir.c_str();
        config.logLevel = NerevnetLogLevel_Debug;
        int32_t error = -1;
        NerevnetHandle handle = nerevnet_startup(&config, &error);
        ASSERT_NE(handle, nullptr) << nerevnet_errorToString(error);
        nerevnet_shutdown(handle);
        g_processLog.logFile = logFileName(g_processLog.logDir);
    }

    void TearDown() override { m_env.reset(); }

private:
    std::unique_ptr<ScopedEnv> m_env;
    // Removed when the program ends (the library keeps its log file open till then).
    std::unique_ptr<TempDir> m_dir;
};

} // namespace

const ProcessLog& processLog()
{
    return g_processLog;
}

} // namespace testsupport

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new testsupport::LibraryEnvironment);
    return RUN_ALL_TESTS();
}
