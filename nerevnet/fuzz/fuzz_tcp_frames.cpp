// Feeds arbitrary bytes, cut into arbitrary pieces, to the TCP frame reader
// and checks it against a straightforward whole-buffer parse; every packet
// payload also goes through the packet frame decoder as the packet
// connection would.
#include "frame_codec.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace nerevnet;

namespace {

struct Frame {
    uint8_t type;
    std::vector<uint8_t> payload;
};

void touchPacket(const uint8_t* payload, uint32_t length)
{
    NerevnetPacket packet;
    if (decodePacketFrame(payload, length, packet) != PacketFrameResult::Ok) {
        return;
    }
    volatile uint8_t sink = 0;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(packet.data);
    for (uint64_t i = 0; i < packet.size; ++i) {
        sink ^= data[i];
    }
    const uint8_t* extra = reinterpret_cast<const uint8_t*>(packet.extraData);
    for (int64_t i = 0; i < packet.extraSize; ++i) {
        sink ^= extra[i];
    }
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    if (size < 1) {
        return 0;
    }
    // The first byte chooses how the stream is cut into reads.
    const unsigned cut = input[0];
    const uint8_t* stream = input + 1;
    const size_t length = size - 1;

    std::vector<Frame> expected;
    size_t at = 0;
    while (length - at >= kFrameHeaderSize) {
        const FrameHeader header = decodeFrameHeader(stream + at);
        if (length - at - kFrameHeaderSize < header.length) {
            break;
        }
        const uint8_t* payload = stream + at + kFrameHeaderSize;
        expected.push_back({header.type, std::vector<uint8_t>(payload, payload + header.length)});
        at += kFrameHeaderSize + header.length;
    }

    std::vector<Frame> seen;
    FrameReader reader([&](uint8_t type, const uint8_t* payload, uint32_t frameLength) {
        if (frameLength > kMaxFramePayload) {
            std::abort();
        }
        seen.push_back({type, std::vector<uint8_t>(payload, payload + frameLength)});
        touchPacket(payload, frameLength);
    });
    size_t fed = 0;
    size_t step = 0;
    while (fed < length) {
        const size_t piece = std::min(length - fed, size_t(1 + ((cut * 7 + step * 13) % (cut + 1))));
        reader.feed(stream + fed, piece);
        fed += piece;
        ++step;
    }

    if (seen.size() != expected.size()) {
        std::abort();
    }
    for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i].type != expected[i].type || seen[i].payload != expected[i].payload) {
            std::abort();
        }
    }
    if (reader.bytesWanted() == 0 && length != at) {
        std::abort();
    }
    return 0;
}
