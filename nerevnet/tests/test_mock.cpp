// The replay driver's cutting of a recording into units and its looping.
#include "support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

namespace {

// Replays a recording until `count` packets arrived; returns their bytes.
std::vector<Bytes> replay(const Bytes& recording, size_t count, std::vector<NerevnetPacket>* packets = nullptr,
                          size_t* resets = nullptr)
{
    TempDir dir;
    const std::string path = (dir.path() / "rec.h264").u8string();
    writeFile(path, recording);
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, path.c_str());
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    EXPECT_NE(handle, nullptr);
    if (!handle)
        return {};
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    const size_t mark = LogCapture::instance().mark();
    EXPECT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    EXPECT_TRUE(waitFor([&] { return log.packets().size() >= count; })) << "got " << log.packets().size();
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
    if (packets)
        *packets = log.packets();
    if (resets)
        *resets = LogCapture::instance().count(mark, "Reset read position to 0");
    auto bytes = log.packetBytes();
    if (bytes.size() > count)
        bytes.resize(count);
    return bytes;
}

Bytes unit(std::initializer_list<uint8_t> startCode, std::initializer_list<uint8_t> body)
{
    Bytes out(startCode);
    out.insert(out.end(), body);
    return out;
}

} // namespace

TEST(Replay, UnitsComeInOrderWithTheirStartCodesAndLoop)
{
    const Bytes a = unit({0, 0, 1}, {0x67, 0x42, 0x00, 0x1f});
    const Bytes b = unit({0, 0, 1}, {0x68, 0xce, 0x3c, 0x80});
    const Bytes c = unit({0, 0, 1}, {0x65, 0x88, 0x84, 0x00, 0x00, 0x03, 0x01}); // zeros inside a unit
    Bytes recording;
    for (const Bytes* u : {&a, &b, &c})
        recording.insert(recording.end(), u->begin(), u->end());
    std::vector<NerevnetPacket> packets;
    size_t resets = 0;
    const auto got = replay(recording, 7, &packets, &resets);
    EXPECT_EQ(got, (std::vector<Bytes>{a, b, c, a, b, c, a}));
    EXPECT_GE(resets, 2u) << "one reset line per wrap";
    for (const NerevnetPacket& p : packets) {
        EXPECT_EQ(p.mediaType, 2);
        EXPECT_EQ(p.subType, 1);
        EXPECT_EQ(p.timestamp, 0);
        EXPECT_EQ(p.extraData, nullptr);
        EXPECT_EQ(p.extraSize, 0);
        EXPECT_EQ(Bytes(p.reserved, p.reserved + 8), Bytes(8, 0));
    }
}

TEST(Replay, FourByteStartCodeStaysWholeAtTheFrontOfItsUnit)
{
    const Bytes a = unit({0, 0, 0, 1}, {0x67, 1, 2});
    const Bytes b = unit({0, 0, 0, 1}, {0x68, 3, 4});
    const Bytes c = unit({0, 0, 1}, {0x65, 5, 6});
    Bytes recording;
    for (const Bytes* u : {&a, &b, &c})
        recording.insert(recording.end(), u->begin(), u->end());
    EXPECT_EQ(replay(recording, 4), (std::vector<Bytes>{a, b, c, a}));
}

TEST(Replay, RecordingWithoutStartCodeIsOneUnitPerLoop)
{
    const Bytes whole = {9, 8, 7, 6, 5, 0, 0, 4};
    EXPECT_EQ(replay(whole, 3), (std::vector<Bytes>{whole, whole, whole}));
}

TEST(Replay, RemnantsOfThreeBytesOrLessAreDropped)
{
    // "00 00 01 AA" is 4 bytes and counts; a trailing "00 00 01" alone does not.
    const Bytes a = unit({0, 0, 1}, {0xaa});
    Bytes recording = a;
    recording.insert(recording.end(), {0, 0, 1});
    EXPECT_EQ(replay(recording, 3), (std::vector<Bytes>{a, a, a}));
}

TEST(Replay, TinyRecordingDeliversNothingButKeepsRunning)
{
    TempDir dir;
    const std::string path = (dir.path() / "tiny.h264").u8string();
    writeFile(path, {0, 0, 1});
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, path.c_str());
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    nerevnet_stop(handle);
    nerevnet_shutdown(handle);
    EXPECT_TRUE(log.packets().empty());
    EXPECT_EQ(log.entries().back(), "stop 0");
}

TEST(Replay, RestartAfterStopGoesOnFromWhereItStood)
{
    TempDir dir;
    const std::string path = (dir.path() / "rec.h264").u8string();
    const Bytes a = unit({0, 0, 1}, {1, 1, 1});
    const Bytes b = unit({0, 0, 1}, {2, 2, 2});
    Bytes recording = a;
    recording.insert(recording.end(), b.begin(), b.end());
    writeFile(path, recording);
    NerevnetStartupConfig config = makeConfig(NetworkType_Mock, path.c_str());
    NerevnetHandle handle = nerevnet_startup(&config, nullptr);
    ASSERT_NE(handle, nullptr);
    EventLog log;
    NerevnetCallbacks callbacks = recordingCallbacks();
    nerevnet_setCallback(handle, &callbacks, &log);
    for (int round = 0; round < 2; ++round) {
        const size_t before = log.packets().size();
        ASSERT_EQ(nerevnet_start(handle, "127.0.0.1", 9000, nullptr), 0);
        ASSERT_TRUE(waitFor([&] { return log.packets().size() > before; }));
        nerevnet_stop(handle);
    }
    nerevnet_shutdown(handle);
    size_t starts = 0, stops = 0;
    for (const std::string& e : log.entries()) {
        starts += e == "start 0 true";
        stops += e == "stop 0";
    }
    EXPECT_EQ(starts, 2u);
    EXPECT_EQ(stops, 2u);
    for (const Bytes& got : log.packetBytes())
        EXPECT_TRUE(got == a || got == b);
}
