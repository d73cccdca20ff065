// Global memory: fixed blocks (the handle is the address of the bytes) and
// movable blocks (the handle is the address of a small block record, so it
// never equals the address of any live fixed block), with lock counts and
// the fault injection of the test controls.
#include <windows.h>

#include "tavwin_test.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

struct Block {
  bool fixed;
  UINT flags;
  SIZE_T size;
  unsigned lockCount;  // movable blocks only; fixed blocks always report 0
  unsigned char* data; // null for a movable block of 0 bytes
};

struct Heap {
  std::unordered_map<uintptr_t, Block*> byHandle;
  std::unordered_map<uintptr_t, Block*> byData;
  long allocCalls = 0, lockCalls = 0;
  long failAllocAt = 0, failLockAt = 0; // absolute call numbers, 0 = disarmed
};

// Never destroyed: blocks that outlive the program (clipboard data, which
// belongs to the system) stay reachable, as they would on Windows.
Heap& heap() {
  static Heap* h = new Heap;
  return *h;
}

Block* findBlock(HGLOBAL mem) {
  auto& byHandle = heap().byHandle;
  auto it = byHandle.find(reinterpret_cast<uintptr_t>(mem));
  return it == byHandle.end() ? nullptr : it->second;
}

uintptr_t handleOf(Block* block) {
  return block->fixed ? reinterpret_cast<uintptr_t>(block->data) : reinterpret_cast<uintptr_t>(block);
}

// Fresh bytes for a block; one extra byte so that a 0-byte fixed block still
// has an address of its own.
unsigned char* newBytes(SIZE_T bytes, bool zero) {
  void* p = zero ? std::calloc(bytes + 1, 1) : std::malloc(bytes + 1);
  return static_cast<unsigned char*>(p);
}

void forget(Block* block) {
  heap().byHandle.erase(handleOf(block));
  if (block->data)
    heap().byData.erase(reinterpret_cast<uintptr_t>(block->data));
}

void remember(Block* block) {
  heap().byHandle[handleOf(block)] = block;
  if (block->data)
    heap().byData[reinterpret_cast<uintptr_t>(block->data)] = block;
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  Heap& h = heap();
  ++h.allocCalls;
  if (h.failAllocAt != 0 && h.allocCalls == h.failAllocAt) {
    h.failAllocAt = 0;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bytes > (SIZE_T(1) << 40)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* block = new Block{(flags & GMEM_MOVEABLE) == 0, flags, bytes, 0, nullptr};
  if (block->fixed || bytes > 0) {
    block->data = newBytes(bytes, (flags & GMEM_ZEROINIT) != 0);
    if (!block->data) {
      delete block;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  remember(block);
  return reinterpret_cast<HGLOBAL>(handleOf(block));
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
  Heap& h = heap();
  ++h.lockCalls;
  Block* block = findBlock(mem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (h.failLockAt != 0 && h.lockCalls == h.failLockAt) {
    h.failLockAt = 0;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (!block->fixed) {
    if (!block->data)
      return nullptr; // a movable block of 0 bytes has no memory to lock
    if (block->lockCount < GMEM_LOCKCOUNT)
      ++block->lockCount;
  }
  return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
  Block* block = findBlock(mem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block->fixed)
    return TRUE;
  if (block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  --block->lockCount;
  SetLastError(ERROR_SUCCESS);
  return block->lockCount > 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
  if (!mem)
    return nullptr;
  Block* block = findBlock(mem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  forget(block);
  std::free(block->data);
  delete block;
  return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
  Block* block = findBlock(mem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return block->size;
}

UINT WINAPI GlobalFlags(HGLOBAL mem) {
  Block* block = findBlock(mem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GMEM_INVALID_HANDLE;
  }
  UINT flags = block->lockCount & GMEM_LOCKCOUNT;
  if (!block->fixed && !block->data)
    flags |= 0x4000; // GMEM_DISCARDED
  return flags;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
  auto& byData = heap().byData;
  auto it = byData.find(reinterpret_cast<uintptr_t>(pointer));
  if (it == byData.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(handleOf(it->second));
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
  Block* block = findBlock(mem);
  if (!block || bytes > (SIZE_T(1) << 40)) {
    SetLastError(block ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // A fixed block may move only when the caller allows it; a locked movable
  // block may not move at all, so it can only shrink in place.
  bool mayMove = block->fixed ? (flags & GMEM_MOVEABLE) != 0 : block->lockCount == 0;
  if (bytes <= block->size && block->data) {
    block->size = bytes;
    return mem;
  }
  if (!mayMove) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  unsigned char* data = newBytes(bytes, false);
  if (!data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (block->data)
    std::memcpy(data, block->data, block->size < bytes ? block->size : bytes);
  if (bytes > block->size && (flags & GMEM_ZEROINIT))
    std::memset(data + block->size, 0, bytes - block->size);
  forget(block);
  std::free(block->data);
  block->data = data;
  block->size = bytes;
  remember(block);
  return reinterpret_cast<HGLOBAL>(handleOf(block));
}

namespace tavwin {

void FailGlobalAllocAt(int n) {
  heap().failAllocAt = n > 0 ? heap().allocCalls + n : 0;
}
void FailGlobalLockAt(int n) {
  heap().failLockAt = n > 0 ? heap().lockCalls + n : 0;
}
long GlobalAllocCalls() {
  return heap().allocCalls;
}
long GlobalLockCalls() {
  return heap().lockCalls;
}
long LiveGlobalBlocks() {
  return static_cast<long>(heap().byHandle.size());
}

} // namespace tavwin
