// The frame codecs on their own: boundaries that a peer controls.
#include "frame_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace nerevnet;

TEST(FrameCodec, HeaderIsTypeThenTwentyFourBitBigEndianLength)
{
    uint8_t header[4];
    encodeFrameHeader(5, kMaxFramePayload, header);
    EXPECT_EQ(std::memcmp(header, "\x05\xff\xff\xff", 4), 0);
    const FrameHeader decoded = decodeFrameHeader(header);
    EXPECT_EQ(decoded.type, 5);
    EXPECT_EQ(decoded.length, kMaxFramePayload);
}

TEST(FrameCodec, ReaderJoinsPiecesAndSplitsFrames)
{
    std::vector<std::pair<int, std::string>> frames;
    FrameReader reader([&](uint8_t type, const uint8_t* payload, uint32_t length) {
        ASSERT_NE(payload, nullptr) << "even an empty payload has an address";
        frames.emplace_back(type, std::string(reinterpret_cast<const char*>(payload), length));
    });
    const std::string stream = std::string("\x00\x00\x00\x03" "abc" "\x07\x00\x00\x00" "\x00\x00\x00\x02" "de", 17);
    reader.feed(reinterpret_cast<const uint8_t*>(stream.data()), 2);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(reader.bytesWanted(), 2u);
    reader.feed(reinterpret_cast<const uint8_t*>(stream.data()) + 2, stream.size() - 3);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(reader.bytesWanted(), 1u);
    reader.feed(reinterpret_cast<const uint8_t*>(stream.data()) + stream.size() - 1, 1);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], std::make_pair(0, std::string("abc")));
    EXPECT_EQ(frames[1], std::make_pair(7, std::string()));
    EXPECT_EQ(frames[2], std::make_pair(0, std::string("de")));
}

TEST(FrameCodec, PacketFramesWithImpossibleSizesAreRejected)
{
    std::vector<uint8_t> frame(56 + 10, 0);
    NerevnetPacket header{};
    NerevnetPacket out{};
    auto withSizes = [&](uint64_t size, int64_t extra) {
        header.size = size;
        header.extraSize = extra;
        std::memcpy(frame.data(), &header, 56);
        return decodePacketFrame(frame.data(), frame.size(), out);
    };
    EXPECT_EQ(decodePacketFrame(frame.data(), 55, out), PacketFrameResult::TooShort);
    EXPECT_EQ(withSizes(10, 0), PacketFrameResult::Ok);
    EXPECT_EQ(withSizes(11, 0), PacketFrameResult::SizeMismatch);
    EXPECT_EQ(withSizes(~uint64_t(0), 0), PacketFrameResult::SizeMismatch);
    EXPECT_EQ(withSizes(4, 6), PacketFrameResult::Ok);
    EXPECT_EQ(out.extraData, frame.data() + 60);
    EXPECT_EQ(withSizes(4, 7), PacketFrameResult::SizeMismatch);
    EXPECT_EQ(withSizes(4, INT64_MAX), PacketFrameResult::SizeMismatch);
    EXPECT_EQ(withSizes(0, -3), PacketFrameResult::Ok);
    EXPECT_EQ(out.data, nullptr);
    EXPECT_EQ(out.extraData, nullptr);

    // Encoding refuses what it cannot frame instead of reading past a buffer.
    std::vector<uint8_t> encoded;
    NerevnetPacket packet{};
    packet.size = 5;
    EXPECT_FALSE(encodePacketFrame(packet, 1000, encoded)) << "size without data";
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    packet.data = bytes;
    packet.extraSize = 1;
    EXPECT_FALSE(encodePacketFrame(packet, 1000, encoded)) << "extra size without extra data";
    packet.extraSize = -1;
    EXPECT_TRUE(encodePacketFrame(packet, 61, encoded));
    EXPECT_EQ(encoded.size(), 61u);
    EXPECT_FALSE(encodePacketFrame(packet, 60, encoded)) << "above the limit";
}

TEST(FrameCodec, HandshakeDatagramsMatchOnlyExactly)
{
    EXPECT_EQ(classifyDatagram(reinterpret_cast<const uint8_t*>("HELLO"), 6), DatagramKind::Hello);
    EXPECT_EQ(classifyDatagram(reinterpret_cast<const uint8_t*>("HELLO"), 5), DatagramKind::Data);
    EXPECT_EQ(classifyDatagram(reinterpret_cast<const uint8_t*>("HELLO\0\0"), 7), DatagramKind::Data);
    EXPECT_EQ(classifyDatagram(reinterpret_cast<const uint8_t*>("HI"), 3), DatagramKind::Hi);
    EXPECT_EQ(classifyDatagram(reinterpret_cast<const uint8_t*>("HI!"), 3), DatagramKind::Data);
}
