// Classifies arbitrary datagrams: hello and hi only on an exact match,
// everything else is KCP input.
#include "frame_codec.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace nerevnet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    std::vector<uint8_t> datagram(input, input + size);
    const DatagramKind kind = classifyDatagram(datagram.data(), datagram.size());
    const bool hello = size == 6 && std::memcmp(datagram.data(), "HELLO", 6) == 0;
    const bool hi = size == 3 && std::memcmp(datagram.data(), "HI", 3) == 0;
    if ((kind == DatagramKind::Hello) != hello || (kind == DatagramKind::Hi) != hi) {
        std::abort();
    }
    return 0;
}
