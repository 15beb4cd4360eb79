// Decodes arbitrary bytes as a received packet frame (UDP packet channel and
// TCP packet connection). An accepted frame must lie within the input and
// encode back to the same bytes.
#include "frame_codec.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace nerevnet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    // A private copy, so that ASan sees reads past the end of the frame.
    std::vector<uint8_t> frame(input, input + size);
    NerevnetPacket packet;
    const PacketFrameResult result = decodePacketFrame(frame.data(), frame.size(), packet);
    if (size < kPacketHeaderSize) {
        if (result != PacketFrameResult::TooShort) {
            std::abort();
        }
        return 0;
    }
    if (result != PacketFrameResult::Ok) {
        return 0;
    }
    const uint8_t* begin = frame.data();
    const uint8_t* end = begin + frame.size();
    const uint8_t* data = reinterpret_cast<const uint8_t*>(packet.data);
    const uint8_t* extra = reinterpret_cast<const uint8_t*>(packet.extraData);
    if (packet.size > 0 && (data < begin + kPacketHeaderSize || data + packet.size > end)) {
        std::abort();
    }
    if (packet.extraSize > 0 && (extra < data + packet.size || extra + packet.extraSize > end)) {
        std::abort();
    }
    volatile uint8_t sink = 0;
    for (uint64_t i = 0; i < packet.size; ++i) {
        sink ^= data[i];
    }
    for (int64_t i = 0; i < packet.extraSize; ++i) {
        sink ^= extra[i];
    }
    (void)sink;

    std::vector<uint8_t> again;
    if (!encodePacketFrame(packet, frame.size(), again)) {
        std::abort();
    }
    // Everything but the two pointer fields comes back unchanged.
    if (again.size() > frame.size() || std::memcmp(again.data(), begin, 16) != 0
        || std::memcmp(again.data() + 24, begin + 24, 8) != 0 || std::memcmp(again.data() + 40, begin + 40, 16) != 0
        || std::memcmp(again.data() + kPacketHeaderSize, begin + kPacketHeaderSize, again.size() - kPacketHeaderSize)
               != 0) {
        std::abort();
    }
    return 0;
}
