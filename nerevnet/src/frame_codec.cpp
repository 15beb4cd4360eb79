#include "frame_codec.h"

#include <algorithm>
#include <cstring>

namespace nerevnet {

const uint8_t kHelloDatagram[6] = {'H', 'E', 'L', 'L', 'O', 0};
const uint8_t kHiDatagram[3] = {'H', 'I', 0};

void encodeFrameHeader(uint8_t type, uint32_t length, uint8_t out[kFrameHeaderSize])
{
    out[0] = type;
    out[1] = static_cast<uint8_t>((length >> 16) & 0xff);
    out[2] = static_cast<uint8_t>((length >> 8) & 0xff);
    out[3] = static_cast<uint8_t>(length & 0xff);
}

FrameHeader decodeFrameHeader(const uint8_t in[kFrameHeaderSize])
{
    FrameHeader header;
    header.type = in[0];
    header.length = (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
    return header;
}

// One byte from the start, so that even an empty payload has a valid address.
FrameReader::FrameReader(FrameHandler handler) : m_handler(std::move(handler)), m_payload(1) {}

void FrameReader::reset()
{
    m_headerFill = 0;
    m_payloadFill = 0;
    m_current = FrameHeader{};
}

size_t FrameReader::bytesWanted() const
{
    if (m_headerFill < kFrameHeaderSize) {
        return kFrameHeaderSize - m_headerFill;
    }
    return m_current.length - m_payloadFill;
}

void FrameReader::feed(const uint8_t* data, size_t length)
{
    while (length > 0) {
        if (m_headerFill < kFrameHeaderSize) {
            const size_t take = std::min(length, kFrameHeaderSize - m_headerFill);
            std::memcpy(m_header + m_headerFill, data, take);
            m_headerFill += take;
            data += take;
            length -= take;
            if (m_headerFill < kFrameHeaderSize) {
                return;
            }
            m_current = decodeFrameHeader(m_header);
            m_payloadFill = 0;
        }
        const size_t take = std::min(length, size_t(m_current.length) - m_payloadFill);
        if (take > 0) {
            // The buffer grows with the bytes that actually arrived (a header
            // alone costs no memory) and is reused for every frame.
            if (m_payload.size() < m_payloadFill + take) {
                m_payload.resize(m_payloadFill + take);
            }
            std::memcpy(m_payload.data() + m_payloadFill, data, take);
            m_payloadFill += take;
            data += take;
            length -= take;
        }
        if (m_payloadFill == m_current.length) {
            const FrameHeader done = m_current;
            m_headerFill = 0;
            m_payloadFill = 0;
            if (m_handler) {
                m_handler(done.type, m_payload.data(), done.length);
            }
        }
    }
}

size_t packetFrameSize(const NerevnetPacket& packet, size_t limit)
{
    if (packet.size > 0 && packet.data == nullptr) {
        return 0;
    }
    const uint64_t extra = packet.extraSize > 0 ? uint64_t(packet.extraSize) : 0;
    if (extra > 0 && packet.extraData == nullptr) {
        return 0;
    }
    if (limit < kPacketHeaderSize || packet.size > limit - kPacketHeaderSize
        || extra > limit - kPacketHeaderSize - packet.size) {
        return 0;
    }
    return kPacketHeaderSize + size_t(packet.size) + size_t(extra);
}

bool encodePacketFrame(const NerevnetPacket& packet, size_t limit, std::vector<uint8_t>& out)
{
    out.clear();
    const size_t total = packetFrameSize(packet, limit);
    if (total == 0) {
        return false;
    }
    out.resize(total);
    uint8_t* p = out.data();
    std::memcpy(p, &packet, kPacketHeaderSize);
    p += kPacketHeaderSize;
    if (packet.size > 0) {
        std::memcpy(p, packet.data, size_t(packet.size));
        p += packet.size;
    }
    if (packet.extraSize > 0) {
        std::memcpy(p, packet.extraData, size_t(packet.extraSize));
    }
    return true;
}

PacketFrameResult decodePacketFrame(const uint8_t* frame, size_t length, NerevnetPacket& out)
{
    if (frame == nullptr || length < kPacketHeaderSize) {
        return PacketFrameResult::TooShort;
    }
    std::memcpy(&out, frame, kPacketHeaderSize);
    const size_t body = length - kPacketHeaderSize;
    if (out.size > body) {
        return PacketFrameResult::SizeMismatch;
    }
    if (out.extraSize > 0 && uint64_t(out.extraSize) > body - out.size) {
        return PacketFrameResult::SizeMismatch;
    }
    const uint8_t* payload = frame + kPacketHeaderSize;
    out.data = out.size > 0 ? payload : nullptr;
    out.extraData = out.extraSize > 0 ? payload + out.size : nullptr;
    return PacketFrameResult::Ok;
}

DatagramKind classifyDatagram(const uint8_t* data, size_t length)
{
    if (length == sizeof(kHelloDatagram) && std::memcmp(data, kHelloDatagram, length) == 0) {
        return DatagramKind::Hello;
    }
    if (length == sizeof(kHiDatagram) && std::memcmp(data, kHiDatagram, length) == 0) {
        return DatagramKind::Hi;
    }
    return DatagramKind::Data;
}

}  // namespace nerevnet
