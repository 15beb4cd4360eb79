// Wire formats shared by the transports: the 4-byte TCP frame, the packet
// frame (56-byte packet record + payload + extra data) and the UDP handshake
// datagrams. Pure functions without I/O, so the parsers can be fuzzed alone.
#pragma once

#include "nerevnet.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace nerevnet {

constexpr size_t kPacketHeaderSize = 56;
constexpr uint32_t kMaxFramePayload = 16777215;  // 24-bit length field
constexpr size_t kFrameHeaderSize = 4;

static_assert(sizeof(NerevnetPacket) == kPacketHeaderSize, "packet record must be 56 bytes");

// --- TCP frame: type byte, then the payload length as 24-bit big endian ---

void encodeFrameHeader(uint8_t type, uint32_t length, uint8_t out[kFrameHeaderSize]);

struct FrameHeader {
    uint8_t type = 0;
    uint32_t length = 0;
};
FrameHeader decodeFrameHeader(const uint8_t in[kFrameHeaderSize]);

// Incremental reader of a TCP frame stream: bytes go in as they arrive, each
// complete frame comes out through the callback with its type and payload.
// The payload pointer is valid only during the callback.
class FrameReader {
public:
    using FrameHandler = std::function<void(uint8_t type, const uint8_t* payload, uint32_t length)>;

    explicit FrameReader(FrameHandler handler);

    void feed(const uint8_t* data, size_t length);
    void reset();

    // Bytes still missing from the frame being read (header or payload).
    size_t bytesWanted() const;

private:
    FrameHandler m_handler;
    uint8_t m_header[kFrameHeaderSize] = {};
    size_t m_headerFill = 0;
    FrameHeader m_current;
    std::vector<uint8_t> m_payload;
    size_t m_payloadFill = 0;
};

// --- packet frame: the record as it lies in memory, then data, then extra ---

// Total bytes of the frame for this packet, or 0 when the packet cannot be
// framed (null payload pointer with a size, sizes beyond `limit`).
size_t packetFrameSize(const NerevnetPacket& packet, size_t limit);

// Appends the frame to `out` (cleared first). Returns false, leaving `out`
// empty, when packetFrameSize() says the packet cannot be framed.
bool encodePacketFrame(const NerevnetPacket& packet, size_t limit, std::vector<uint8_t>& out);

enum class PacketFrameResult { Ok, TooShort, SizeMismatch };

// Rebuilds a packet from a received frame. On Ok `out.data` and
// `out.extraData` point into `frame` (or are null when their size is not
// positive); the pointer values the sender carried are never used.
PacketFrameResult decodePacketFrame(const uint8_t* frame, size_t length, NerevnetPacket& out);

// --- UDP handshake ---

enum class DatagramKind { Hello, Hi, Data };

extern const uint8_t kHelloDatagram[6];  // "HELLO\0"
extern const uint8_t kHiDatagram[3];     // "HI\0"

// Hello and hi are recognised only when the whole datagram matches exactly.
DatagramKind classifyDatagram(const uint8_t* data, size_t length);

}  // namespace nerevnet
