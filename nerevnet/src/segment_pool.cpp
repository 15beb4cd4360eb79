#include "segment_pool.h"

#include "ikcp.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace nerevnet {

namespace {

// A segment: KCP's header (under 64 bytes) and at most one MSS (1376 bytes
// with the default MTU).
constexpr size_t kSlotBytes = 1472;
// Freed blocks kept for reuse, at most about 6 MB: two windows' worth of
// segments in flight. Beyond that they go back to the C library.
constexpr size_t kKeptBlocks = 4096;
// Each block begins with a header telling whether it is a pool slot;
// 16 bytes keep KCP's part aligned as malloc's would be.
constexpr size_t kHeaderBytes = 16;
constexpr uint32_t kSlotTag = 0x534c4f54;   // "SLOT"
constexpr uint32_t kLargeTag = 0x4c415247;  // "LARG"

struct Pool {
    std::mutex lock;
    std::vector<void*> free;
};

Pool& pool()
{
    // Never destroyed: KCP blocks may be freed while the library's static
    // objects are torn down.
    static Pool* instance = new Pool;
    return *instance;
}

void* tag(void* raw, uint32_t value)
{
    *static_cast<uint32_t*>(raw) = value;
    return static_cast<char*>(raw) + kHeaderBytes;
}

void* allocateKcpBlock(size_t size)
{
    if (size > kSlotBytes) {
        void* raw = std::malloc(kHeaderBytes + size);
        return raw ? tag(raw, kLargeTag) : nullptr;
    }
    Pool& p = pool();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        if (!p.free.empty()) {
            void* raw = p.free.back();
            p.free.pop_back();
            return tag(raw, kSlotTag);
        }
    }
    void* raw = std::malloc(kHeaderBytes + kSlotBytes);
    return raw ? tag(raw, kSlotTag) : nullptr;
}

void releaseKcpBlock(void* block)
{
    if (!block) {
        return;
    }
    void* raw = static_cast<char*>(block) - kHeaderBytes;
    if (*static_cast<uint32_t*>(raw) == kSlotTag) {
        Pool& p = pool();
        std::lock_guard<std::mutex> guard(p.lock);
        if (p.free.size() < kKeptBlocks) {
            if (p.free.capacity() == 0) {
                p.free.reserve(kKeptBlocks);
            }
            p.free.push_back(raw);
            return;
        }
    }
    std::free(raw);
}

}  // namespace

void useSegmentPool()
{
    static std::once_flag once;
    std::call_once(once, [] { ikcp_allocator(&allocateKcpBlock, &releaseKcpBlock); });
}

}  // namespace nerevnet
