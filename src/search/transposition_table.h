// The transposition table shared by every search thread without a lock.
//
// An entry is 16 bytes: the packed data word and the key XORed with that data
// word, each a relaxed atomic. Two threads may write one entry at once; a
// reader that gets the halves of two different writes recomputes a key that
// matches neither position, so torn entries are rejected by the key test. A
// hash move that still passes is checked with the full legality test by the
// move picker before it is searched.
#pragma once

#include <atomic>

#include "board/types.h"

enum TTBound : u8 { BOUND_NONE = 0, BOUND_EXACT = 1, BOUND_LOWER = 2, BOUND_UPPER = 3 };

// One entry unpacked: what storeTT writes and probeTT reads.
struct TTData {
    HashKey key;
    Move move;
    i16 score;  // mate scores relative to the stored position
    u16 bound;
    u8 depth;
    u8 age;  // game ply of the search's root, modulo 256
};

struct TTEntry {
    std::atomic<u64> check;  // key ^ data; both 0 marks an empty entry
    std::atomic<u64> data;   // move | score << 16 | bound << 32 | depth << 48 | age << 56

    static u64 pack(const TTData& d) {
        return u64(d.move) | u64(u16(d.score)) << 16 | u64(d.bound) << 32 | u64(d.depth) << 48 |
               u64(d.age) << 56;
    }
    // The entry as one consistent (key, data) pair; key 0 when empty.
    TTData load() const {
        u64 d = data.load(std::memory_order_relaxed);
        u64 c = check.load(std::memory_order_relaxed);
        return TTData{c ^ d, Move(d), i16(u16(d >> 16)), u16(d >> 32), u8(d >> 48), u8(d >> 56)};
    }
    HashKey key() const {
        return check.load(std::memory_order_relaxed) ^ data.load(std::memory_order_relaxed);
    }
    void store(const TTData& d) {
        u64 packed = pack(d);
        data.store(packed, std::memory_order_relaxed);
        check.store(d.key ^ packed, std::memory_order_relaxed);
    }
    void clear() {
        data.store(0, std::memory_order_relaxed);
        check.store(0, std::memory_order_relaxed);
    }
};
static_assert(sizeof(TTEntry) == 16, "a table entry is 16 bytes");

constexpr u32 TT_BUCKET_SIZE = 4;

// A bucket fills one cache line.
struct alignas(64) TTBucket {
    TTEntry entries[TT_BUCKET_SIZE];
};
static_assert(sizeof(TTBucket) == 64, "a bucket is one cache line");

struct TranspositionTable {
    TTEntry* entries = nullptr;  // entryCount entries, bucket-aligned
    u64 bucketMask = 0;          // entryCount / 4 - 1
    u32 entryCount = 0;          // a power of two

    TranspositionTable() = default;
    ~TranspositionTable();
    TranspositionTable(const TranspositionTable&) = delete;
    TranspositionTable& operator=(const TranspositionTable&) = delete;

    // Replaces the entries by a zeroed array of `count` entries (a power of two,
    // at least 4). False when the memory could not be had; the table is then empty.
    bool allocate(u32 count);
    void release();
    void clear();

    TTEntry* bucket(HashKey key) const {
        return entries + (u32(key) & u32(bucketMask)) * TT_BUCKET_SIZE;
    }
};

// Entry count of a table of `sizeMB` megabytes with entries of `entryBytes`:
// the largest power of two whose entries fit (at least 1 MB is assumed).
u32 entryCountForSize(u32 sizeMB, u32 entryBytes);

// Tests may cap what a table allocation can get, to exercise the failure path.
// 0 = no cap.
void setTableAllocationLimitForTesting(u64 bytes);
bool tableAllocationAllowed(u64 bytes);

// ---- storing and probing, in terms of the node's key and the search's age.
// lo, hi: the node's mate-distance bounds; alpha, beta: its window.
void storeTT(TranspositionTable& table, HashKey key, u8 age, Score lo, Score hi, Score alpha,
             Score beta, i32 ply, i32 depth, Score score, Move move);

// True when the stored score is usable for the window at this depth (written to
// score). keyMatched is set when the key was found; hashMove gets its move then.
bool probeTT(const TranspositionTable& table, HashKey key, Score alpha, Score beta, i32 ply,
             i32 depth, Score& score, Move& hashMove, bool& keyMatched);

// The age of a search: the game ply of its root.
inline u8 searchAge(u32 historyIndex, i32 ply) {
    return u8(historyIndex - u32(ply));
}
