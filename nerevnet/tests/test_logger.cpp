// The library log: daily file, line pattern, flushing, the host's callback and
// the rule that the first start-up of the process fixes the logger.
#include "support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace testsupport;

namespace {

std::vector<std::string> fileLines()
{
    std::istringstream in(readText(processLog().logFile));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> linesContaining(const std::string& text)
{
    std::vector<std::string> found;
    for (const std::string& line : fileLines()) {
        if (line.find(text) != std::string::npos)
            found.push_back(line);
    }
    return found;
}

} // namespace

TEST(Logger, DailyFileIsNamedByTheDateInTheConfiguredDirectory)
{
    const fs::path expected = processLog().logFile;
    ASSERT_TRUE(fs::exists(expected)) << expected;
    EXPECT_EQ(processLog().logDir, expected.parent_path());
    EXPECT_TRUE(std::regex_match(expected.filename().u8string(), std::regex(R"(nerevnet_\d{4}-\d{2}-\d{2}\.log)")));
    EXPECT_FALSE(fs::exists(processLog().logDir / "nerevnet.log")) << "only the dated file is written";
}

TEST(Logger, LinesFollowThePattern)
{
    const auto lines = linesContaining("Nerevnet SDK version: 2.3.3");
    ASSERT_FALSE(lines.empty());
    // [date time.ms][level][thread id, 5 columns][file:line] message
    const std::regex pattern(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\]\[I\]\[[0-9]+ *\]\[nerevnet\.cpp:\d+\] )"
                             R"(Nerevnet SDK version: 2\.3\.3\r?$)");
    EXPECT_TRUE(std::regex_match(lines.front(), pattern)) << lines.front();
    const std::regex threadColumn(R"(^\[[^\]]+\]\[I\]\[([0-9 ]+)\])");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(lines.front(), m, threadColumn));
    EXPECT_GE(m[1].length(), 5) << "thread id is padded to five columns";
}

TEST(Logger, EachLevelHasItsLetter)
{
    // The environment's start-up runs at debug level. Debug records are
    // written out with the next info record.
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, processLog().recording.c_str());
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(nerevnet_isConnected(handle));
    nerevnet_shutdown(handle);
    const auto debugLines = linesContaining("[Mock] Call isConnected()");
    ASSERT_FALSE(debugLines.empty());
    EXPECT_NE(debugLines.back().find("][D]["), std::string::npos) << debugLines.back();
    EXPECT_FALSE(linesContaining("][I][").empty());

    const size_t before = linesContaining("][W][").size();
    nerevnet_stop(nullptr);
    EXPECT_EQ(linesContaining("][W][").size(), before + 1);

    NerevnetStartupConfig steam = makeConfig(NetworkType_Steam);
    nerevnet_startup(&steam, nullptr);
    const auto errorLines = linesContaining("Startup fail, invalid network type: Steam");
    ASSERT_FALSE(errorLines.empty());
    EXPECT_NE(errorLines.back().find("][E]["), std::string::npos) << errorLines.back();
}

TEST(Logger, InfoRecordsAreInTheFileAtOnce)
{
    int notAnInstance = 0;
    nerevnet_shutdown(&notAnInstance);
    // No flush or shutdown in between: flush-on-info puts it there immediately.
    const auto lines = linesContaining("Destroy network instance: ");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("][I]["), std::string::npos);
}

TEST(Logger, CallbackSetBeforeTheFirstStartupReceivedTheStartupLines)
{
    const auto lines = LogCapture::instance().lines();
    ASSERT_GE(lines.size(), 3u);
    // "Set log callback" itself was written before the logger existed.
    EXPECT_EQ(lines[0].text, "Nerevnet SDK version: 2.3.3");
    EXPECT_EQ(lines[0].level, NerevnetLogLevel_Info);
    bool sawCreate = false, sawSuccess = false;
    for (const LogLine& line : lines) {
        sawCreate = sawCreate || line.text == "Create MockDriver";
        sawSuccess = sawSuccess || line.text == "Startup success, type: Mock";
        EXPECT_EQ(line.text.find("[20"), std::string::npos) << "the callback gets the message only: " << line.text;
    }
    EXPECT_TRUE(sawCreate);
    EXPECT_TRUE(sawSuccess);
}

TEST(Logger, CallbackCanBeReplacedAndCleared)
{
    struct Seen {
        int count = 0;
        std::string last;
    } seen;
    auto replacement = [](int32_t, const char* message, void* user) {
        auto* s = static_cast<Seen*>(user);
        s->count++;
        s->last = message;
    };
    nerevnet_setLogCallback(replacement, &seen);
    nerevnet_stop(nullptr);
    EXPECT_EQ(seen.last, "Please call nerevnet_startup first");

    nerevnet_setLogCallback(nullptr, nullptr);
    EXPECT_EQ(seen.last.rfind("Set log callback: ", 0), 0u) << "the old callback still saw its replacement";
    const int afterClear = seen.count;
    nerevnet_stop(nullptr);
    EXPECT_EQ(seen.count, afterClear) << "a cleared callback is not called";
    EXPECT_FALSE(linesContaining("Set log callback: ").empty()) << "the file still gets every line";

    nerevnet_setLogCallback(&LogCapture::callback, &LogCapture::instance());
    const size_t mark = LogCapture::instance().mark();
    nerevnet_stop(nullptr);
    EXPECT_TRUE(LogCapture::instance().contains(mark, "Please call nerevnet_startup first"));
}

TEST(Logger, LaterStartupsKeepTheFirstFileAndLevel)
{
    TempDir otherDir;
    const std::string recording = (otherDir.path() / "r.h264").u8string();
    writeFile(recording, annexB({{1, 2, 3, 4}}));
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, recording.c_str());
    const std::string logs = (otherDir.path() / "logs").u8string();
    config.logDir = logs.c_str();
    config.logLevel = NerevnetLogLevel_Error;
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    const size_t mark = LogCapture::instance().mark();
    EXPECT_TRUE(nerevnet_isConnected(handle));
    EXPECT_TRUE(LogCapture::instance().contains(mark, "[Mock] Call isConnected()", NerevnetLogLevel_Debug))
        << "the first start-up's debug level stays in force";
    nerevnet_shutdown(handle);
    EXPECT_FALSE(fs::exists(logs)) << "no second log file";
    EXPECT_FALSE(linesContaining("[Mock] Call isConnected()").empty());
}
