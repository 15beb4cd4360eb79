// Memory of KCP's segments. KCP allocates one block per segment (its header
// and up to one MSS of data) and frees it when the segment is acknowledged
// or delivered, often on another thread than the one that allocated it. At
// a few hundred Mbit/s that is tens of thousands of blocks a second, and the
// C library's allocator then spent more time than the rest of the send path
// (returning the top of its heap to the system after each frame and faulting
// it in again for the next). The pool keeps freed blocks for reuse.
#pragma once

namespace nerevnet {

// Makes KCP allocate through the pool; idempotent, called before the first
// KCP control block of the process is created.
void useSegmentPool();

}  // namespace nerevnet
