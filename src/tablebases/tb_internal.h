// The prober's shared state and the operations of its parts (files, block
// decoding, cache). Everything here but the decoders and tbFindIdByName runs
// under the prober's mutex, except at start and stop when no probe runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tablebases/tb_index.h"

namespace tb {

using u64 = std::uint64_t;
using i64 = std::int64_t;
using PackedValue = u16;  // plies << 3 | outcome

constexpr u32 ENTRIES_PER_BLOCK = 16384;
constexpr u32 BUFFER_SIZE = 65536;  // largest stored block and decoded block
constexpr u32 MAX_OPEN_FILES = 32;

struct BlockIndex {
    i32 base = 0;
    i32 count = 0;
    u32* offsets = nullptr;  // absolute file positions; null while not loaded
};

struct Prober {
    bool started = false;
    int scheme = 4;
    bool uncompressed = false;
    std::vector<std::string> paths;
    u32 poolSize = 4;
    u32 openCount = 0;
    i32 openIds[MAX_OPEN_FILES] = {};  // oldest first
    BlockIndex blockIndex[ENDGAME_COUNT];
    std::mutex mutex;
    std::atomic<i32> lastFoundId{0};
    u8 readBuffer[BUFFER_SIZE];
    u8 outputBuffer[BUFFER_SIZE];
};

Prober& prober();

// Blocks per side to move of an endgame.
inline u32 blocksPerSide(u32 maxIndex) {
    return (maxIndex - 1) / ENTRIES_PER_BLOCK + 1;
}

// ---- files (tb_files.cpp)
bool tbFindIdByName(const u8* whiteKinds, const u8* blackKinds, int& id);
std::string tbFilePath(const std::string& directory, const char* name, int scheme);
bool tbOpenFile(int id);
void tbCloseAllFiles();
bool tbLoadBlockIndex(int id);
void tbFreeBlockIndexes();
bool tbSeekBlock(int id, u32 block);
bool tbReadU32(std::FILE* file, u32& value);
PackedValue tbDecodeStoredValue(int side, u8 stored);

// ---- decoders (tb_decode.cpp): `length` stored bytes into exactly `count`
// output bytes (count <= BUFFER_SIZE; `out` holds BUFFER_SIZE bytes). False on
// any malformed input.
bool tbDecodeBlock(int scheme, const u8* in, u32 length, u8* out, u32 count);

// ---- cache (tb_cache.cpp)
bool tbCacheOn();
bool tbCacheGet(int id, int side, u32 index, PackedValue& value);
// Loads the block holding (id, side, index) into the cache; index < maxIndex.
bool tbCacheLoadBlock(int id, int side, u32 index);
// Scheme 0 without a cache: one stored byte straight from the file.
bool tbReadStoredValue(int id, int side, u32 index, PackedValue& value);

}  // namespace tb
