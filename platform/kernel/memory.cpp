// Global memory blocks: fixed blocks whose handle is their address, and
// movable ones behind a handle with a lock count. Each block is its own heap
// allocation of exactly the size asked for, so the sanitizers see overruns.
#include "kernel.h"
#include "../testing/hooks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace headless {
namespace {

struct Block {
    void *memory = nullptr;
    SIZE_T size = 0;
    bool movable = false;
    int locks = 0;
};

struct Heap {
    std::map<uintptr_t, Block> blocks;    // handle -> block
    std::map<const void *, uintptr_t> byAddress;
    uintptr_t nextHandle = 0x7000010;
    int allocationsUntilFailure = -1;
    SIZE_T largestRequest = 0;  // for the tests: no huge block is asked for on a file's say-so
};

// Larger requests fail as they would on the machines the saver runs on.
constexpr SIZE_T kLargestBlock = SIZE_T{512} << 20;

Heap &heap() {
    static Heap h;
    return h;
}

void FreeAll() {
    for (auto &[handle, block] : heap().blocks) std::free(block.memory);
    heap() = Heap{};
}

const bool registered = (OnReset(FreeAll), true);

// A test may make one allocation fail.
bool AllocationAllowed() {
    int &n = heap().allocationsUntilFailure;
    if (n < 0) return true;
    return n-- != 0;
}

Block *Find(HGLOBAL handle, uintptr_t *key = nullptr) {
    auto it = heap().blocks.find(reinterpret_cast<uintptr_t>(handle));
    if (it == heap().blocks.end()) return nullptr;
    if (key) *key = it->first;
    return &it->second;
}

}  // namespace

void FailAllocationAfter(int allocations) { heap().allocationsUntilFailure = allocations; }
int LiveGlobalBlocks() { return static_cast<int>(heap().blocks.size()); }
SIZE_T LargestAllocationRequest() { return heap().largestRequest; }

}  // namespace headless

using namespace headless;

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    heap().largestRequest = std::max(heap().largestRequest, bytes);
    if (bytes > kLargestBlock || !AllocationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void *memory = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    if (!memory) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bool movable = (flags & GMEM_MOVEABLE) != 0;
    uintptr_t handle = reinterpret_cast<uintptr_t>(memory);
    if (movable) {
        handle = heap().nextHandle;
        heap().nextHandle += 8;
    }
    heap().blocks[handle] = Block{memory, bytes, movable, 0};
    heap().byAddress[memory] = handle;
    return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
    Block *b = Find(memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (b->movable) b->locks++;
    return b->memory;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
    Block *b = Find(memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!b->movable) return TRUE;
    if (b->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return --b->locks > 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
    uintptr_t key;
    Block *b = Find(memory, &key);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    heap().byAddress.erase(b->memory);
    std::free(b->memory);
    heap().blocks.erase(key);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
    Block *b = Find(memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return b->size;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
    auto it = heap().byAddress.find(pointer);
    if (it == heap().byAddress.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(it->second);
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
    uintptr_t key;
    Block *b = Find(memory, &key);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // A locked or fixed block may only move when the caller allows it.
    bool mayMove = (b->movable && b->locks == 0) || (flags & GMEM_MOVEABLE);
    heap().largestRequest = std::max(heap().largestRequest, bytes);
    if (bytes > kLargestBlock || (bytes > b->size && !mayMove) || !AllocationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void *moved = std::realloc(b->memory, bytes ? bytes : 1);
    if (!moved) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((flags & GMEM_ZEROINIT) && bytes > b->size) std::memset(static_cast<char *>(moved) + b->size, 0, bytes - b->size);
    Block block = *b;
    heap().byAddress.erase(block.memory);
    block.memory = moved;
    block.size = bytes;
    uintptr_t handle = key;
    if (!block.movable) {
        heap().blocks.erase(key);
        handle = reinterpret_cast<uintptr_t>(moved);
    }
    heap().blocks[handle] = block;
    heap().byAddress[moved] = handle;
    return reinterpret_cast<HGLOBAL>(handle);
}
