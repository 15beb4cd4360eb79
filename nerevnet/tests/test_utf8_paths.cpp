// Paths in the C interface are UTF-8 on every platform: Chinese log, debug and
// recording folders are used under exactly their names, and a path that is not
// UTF-8 is refused with the usual code and a log line instead of being mangled.
#include "support.h"
#include "utf8_path.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace testsupport;

namespace {

// A folder name as a Chinese user has them: CJK, a blank, and a character
// outside the Basic Multilingual Plane (a surrogate pair in UTF-16).
const char* const kFolder = u8"张伟 的文件𠮷";

// Names of the entries of a folder, as UTF-8.
std::vector<std::string> entryNames(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().u8string());
    return names;
}

bool anyLineStartsWith(const std::vector<LogLine>& lines, const std::string& prefix, int32_t level)
{
    for (const LogLine& line : lines) {
        if (line.text.rfind(prefix, 0) == 0 && line.level == level)
            return true;
    }
    return false;
}

class Utf8Paths : public ::testing::Test {
protected:
    Utf8Paths()
    {
        fs::create_directories(m_dir.path() / fs::u8path(kFolder));
        m_recording = m_dir.path() / fs::u8path(kFolder) / fs::u8path(u8"录像 回放.h264");
        writeFile(m_recording, annexB({{0x67, 1, 2, 3}, {0x68, 4, 5, 6}, {0x65, 7, 8, 9}}));
    }

    TempDir m_dir;
    fs::path m_recording;
    LogCapture& m_log = LogCapture::instance();
};

} // namespace

#ifdef _WIN32
// The Chinese code page entry of the Windows leg asks for code page 936; a
// run that did not get it would prove nothing.
TEST(CodePage, IsTheOneTheRunAskedFor)
{
    const char* expected = std::getenv("OSTREL_EXPECT_ACP");
    if (!expected)
        GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}
#endif

TEST_F(Utf8Paths, LogFileIsInTheFolderOfTheGivenName)
{
    // The test program's first start-up named a Chinese log folder.
    const std::string wanted = processLog().logDir.filename().u8string();
    const auto names = entryNames(processLog().logDir.parent_path());
    EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << "no folder named " << wanted;
    EXPECT_NE(readText(processLog().logFile).find("Nerevnet SDK version: 2.3.3"), std::string::npos);
}

TEST_F(Utf8Paths, RecordingInAChineseFolderIsReplayed)
{
    const std::string path = m_recording.u8string();
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, path.c_str());
    int32_t error = -1;
    NerevnetHandle handle = nerevnet_startup(&config, &error);
    ASSERT_NE(handle, nullptr) << nerevnet_errorToString(error);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    EXPECT_TRUE(waitFor([&] { return log.packets().size() >= 3; }));
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
    const auto units = log.packetBytes();
    ASSERT_GE(units.size(), 3u);
    EXPECT_EQ(units[0], std::vector<uint8_t>({0, 0, 1, 0x67, 1, 2, 3}));
    EXPECT_EQ(units[2], std::vector<uint8_t>({0, 0, 1, 0x65, 7, 8, 9}));
}

TEST_F(Utf8Paths, DebugDumpsAreWrittenBelowAChineseLogFolder)
{
    const fs::path logDir = m_dir.path() / fs::u8path(kFolder);
    const std::string logDirText = logDir.u8string();
    const std::string recording = m_recording.u8string();
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, recording.c_str());
    config.logDir = logDirText.c_str();
    config.debug = true;
    const size_t mark = m_log.mark();
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(nerevnet_sendMessage(handle, "hello", 5, true), 5);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    EXPECT_TRUE(waitFor([&] { return !log.packets().empty(); }));
    nerevnet_stop(handle);
    nerevnet_shutdown(handle); // closes the dump files

    const auto stamps = entryNames(logDir / "NerevNetDebug");
    ASSERT_EQ(stamps.size(), 1u);
    const fs::path dumps = logDir / "NerevNetDebug" / fs::u8path(stamps[0]);
    EXPECT_EQ(readText(dumps / "input_message"), "hello");
    ASSERT_TRUE(fs::exists(dumps / "receive_video"));
    EXPECT_GT(fs::file_size(dumps / "receive_video"), 0u);
    // The log names the folder as the host gave it.
    EXPECT_TRUE(anyLineStartsWith(m_log.since(mark), "Create debug dir: " + logDirText, NerevnetLogLevel_Info));
}

TEST_F(Utf8Paths, RecordingPathThatIsNotUtf8IsRefusedWith4)
{
    // A byte of a legacy code page (GBK's first byte of 中), a cut sequence,
    // and a UTF-16 surrogate written as UTF-8.
    const fs::path folder = m_dir.path() / fs::u8path(kFolder);
    const std::string base = folder.u8string();
    const std::string cases[] = {base + "/\xD6\xD0.h264", base + "/\xE6\x97", base + "/\xED\xA0\x80.h264"};
    for (const std::string& path : cases) {
        NerevnetStartupConfig config = makeConfig(NetworkType_Mock, path.c_str());
        const size_t mark = m_log.mark();
        int32_t error = -1;
        EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
        EXPECT_EQ(error, NerevnetErrorCode_InvalidParam);
        const std::string shown = nerevnet::printableUtf8(path);
        EXPECT_TRUE(m_log.contains(mark, "Open file fail: " + shown + " (the path is not UTF-8)",
                                   NerevnetLogLevel_Error))
            << shown;
        EXPECT_TRUE(m_log.contains(mark, "Startup fail, init Mock fail"));
    }
    EXPECT_EQ(entryNames(folder), std::vector<std::string>{u8"录像 回放.h264"}) << "nothing was created";
}

TEST_F(Utf8Paths, DebugFolderBelowALogDirThatIsNotUtf8IsRefusedWith202)
{
    const std::string logDir = m_dir.str() + "/\xC3\x28";
    const std::string recording = m_recording.u8string();
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, recording.c_str());
    config.logDir = logDir.c_str();
    config.debug = true;
    const size_t mark = m_log.mark();
    int32_t error = -1;
    EXPECT_EQ(nerevnet_startup(&config, &error), nullptr);
    EXPECT_EQ(error, NerevnetErrorCode_CreateDebugDirectoryFail);
    EXPECT_TRUE(anyLineStartsWith(m_log.since(mark), "Create debug dir fail: " + m_dir.str() + "/\\xC3(/NerevNetDebug/",
                                  NerevnetLogLevel_Error));
    EXPECT_EQ(entryNames(m_dir.path()), std::vector<std::string>{kFolder}) << "nothing was created";
}

TEST(Utf8Text, WellFormedSequencesOnly)
{
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"plain ascii", true},
        {u8"张伟", true},
        {"\xC2\x80", true},            // U+0080, smallest two-byte
        {"\xEF\xBF\xBF", true},        // U+FFFF
        {"\xF0\x90\x80\x80", true},    // U+10000, smallest four-byte
        {"\xF4\x8F\xBF\xBF", true},    // U+10FFFF, largest
        {"\xED\x9F\xBF", true},        // U+D7FF, just below the surrogates
        {"\x80", false},               // stray continuation byte
        {"\xC0\xAF", false},           // overlong '/'
        {"\xC1\xBF", false},           // overlong
        {"\xE0\x80\xAF", false},       // overlong three-byte
        {"\xF0\x8F\xBF\xBF", false},   // overlong four-byte
        {"\xED\xA0\x80", false},       // U+D800, a surrogate
        {"\xED\xBF\xBF", false},       // U+DFFF
        {"\xF4\x90\x80\x80", false},   // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xE5\xBC", false},           // cut at the end
        {"\xE5\x28\xA0", false},       // continuation missing in the middle
        {"\xD6\xD0\xCE\xC4", false},   // 中文 in GBK
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(nerevnet::isValidUtf8(text), valid) << nerevnet::printableUtf8(text);
}

TEST(Utf8Text, PrintableFormKeepsCharactersAndShowsForeignBytes)
{
    EXPECT_EQ(nerevnet::printableUtf8(u8"日志/a"), u8"日志/a");
    EXPECT_EQ(nerevnet::printableUtf8("a\xFF" "b\xE6\x97"), "a\\xFFb\\xE6\\x97");
    EXPECT_EQ(nerevnet::printableUtf8("\xD6\xD0"), "\\xD6\\xD0");
}
