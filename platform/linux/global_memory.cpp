// Movable global memory.
//
// Implemented:
//   GlobalAlloc    GMEM_MOVEABLE blocks, optionally GMEM_ZEROINIT. A handle
//                  names a slot of a table that owns the bytes; a freed slot
//                  is reused under a new handle value, so a stale handle is
//                  refused rather than reaching another block.
//   GlobalLock     counts locks and gives the bytes' address (nullptr for a
//                  block of 0 bytes, as Windows does for a discarded one).
//   GlobalUnlock   TRUE while locks remain, FALSE when the last one goes.
//   GlobalReAlloc  an unlocked block always moves to new memory, so that code
//                  keeping an old address fails under the sanitizers as it
//                  could on Windows; a locked one moves only with
//                  GMEM_MOVEABLE and otherwise fails. The handle stays.
//   GlobalSize     the block's size in bytes.
//   GlobalFree     releases the block, locked or not; nullptr on success.
// Not implemented: GMEM_FIXED blocks (their handle is their address on
//   Windows), discardable blocks, GMEM_MODIFY, GlobalHandle, GlobalFlags.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

struct Block {
  unsigned char* bytes = nullptr;
  SIZE_T size = 0;
  unsigned locks = 0;
};

HandleTable<Block> blocks(0);

// From this size on, the C library maps each block afresh anyway, and filling
// it would fault in thousands of small pages (a 12-megapixel picture is 36 MB):
// such blocks are mapped here and asked for huge pages instead.
constexpr SIZE_T kHugeBlock = SIZE_T(32) << 20;

// Never a null pointer, so that a 0-byte block still owns something.
unsigned char* NewBytes(SIZE_T size, bool zero) {
  if (size >= kHugeBlock) {
    void* bytes = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (bytes == MAP_FAILED) return nullptr;
    madvise(bytes, size, MADV_HUGEPAGE);
    return static_cast<unsigned char*>(bytes);  // mapped pages are zero already
  }
  void* bytes = zero ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
  return static_cast<unsigned char*>(bytes);
}

void FreeBytes(unsigned char* bytes, SIZE_T size) {
  if (size >= kHugeBlock) {
    munmap(bytes, size);
  } else {
    std::free(bytes);
  }
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  if ((flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) != 0 || !(flags & GMEM_MOVEABLE)) {
    PlatformUnsupported("GlobalAlloc", "flags other than GMEM_MOVEABLE and GMEM_ZEROINIT");
  }
  unsigned char* data = NewBytes(bytes, flags & GMEM_ZEROINIT);
  if (data == nullptr) return nullptr;
  return reinterpret_cast<HGLOBAL>(blocks.Add(Block{data, bytes, 0}));
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
  if ((flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) != 0) {
    PlatformUnsupported("GlobalReAlloc", "flags other than GMEM_MOVEABLE and GMEM_ZEROINIT");
  }
  Block* block = blocks.Find(memory);
  if (block == nullptr) return nullptr;
  if (block->locks > 0 && !(flags & GMEM_MOVEABLE)) return nullptr;
  unsigned char* data = NewBytes(bytes, false);
  if (data == nullptr) return nullptr;
  std::memcpy(data, block->bytes, block->size < bytes ? block->size : bytes);
  if (bytes > block->size && (flags & GMEM_ZEROINIT)) {
    std::memset(data + block->size, 0, bytes - block->size);
  }
  FreeBytes(block->bytes, block->size);
  block->bytes = data;
  block->size = bytes;
  return memory;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
  Block* block = blocks.Find(memory);
  if (block == nullptr || block->size == 0) return nullptr;
  if (block->locks < 255) ++block->locks;
  return block->bytes;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
  Block* block = blocks.Find(memory);
  if (block == nullptr || block->locks == 0) return FALSE;
  return --block->locks > 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
  Block* block = blocks.Find(memory);
  return block ? block->size : 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  Block* block = blocks.Find(memory);
  if (block == nullptr) return memory;
  FreeBytes(block->bytes, block->size);
  blocks.Remove(memory);
  return nullptr;
}
