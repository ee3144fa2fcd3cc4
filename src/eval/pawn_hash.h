// The pawn hash: pawn-structure scores and the board-wide open and half-open
// file masks, cached by pawn key. One table is shared by every search thread
// and read and written without a lock.
#pragma once

#include <atomic>

#include "board/board.h"

// What one entry caches for a pawn structure.
struct PawnHashData {
    i16 mg = 0;            // pawn structure, White minus Black, middle game
    i16 eg = 0;            // the same, end game
    u8 openFiles = 0;      // bit f: file f holds no pawn
    u8 halfOpenFiles = 0;  // bit f: file f holds pawns of one colour only
};

// Sixteen bytes: the data word and the key XOR the data word, each a relaxed
// atomic. A reader that meets an entry torn by a concurrent writer (one word
// old, one new) finds that the two words no longer give its key and treats
// the entry as a miss, so a torn entry is never taken for a stored one.
struct PawnHashEntry {
    std::atomic<u64> keyXorData{0};
    std::atomic<u64> data{0};

    static u64 pack(const PawnHashData& d) {
        return u64(u16(d.mg)) | u64(u16(d.eg)) << 16 | u64(d.openFiles) << 32 |
               u64(d.halfOpenFiles) << 40;
    }
    static PawnHashData unpack(u64 w) {
        PawnHashData d;
        d.mg = i16(u16(w));
        d.eg = i16(u16(w >> 16));
        d.openFiles = u8(w >> 32);
        // A file cannot be both open and half-open; keeping the masks disjoint
        // also keeps their combined count within 0..8 for the table indexes.
        d.halfOpenFiles = u8(w >> 40) & u8(~d.openFiles);
        return d;
    }
    bool load(HashKey key, PawnHashData& out) const {
        const u64 w = data.load(std::memory_order_relaxed);
        if ((keyXorData.load(std::memory_order_relaxed) ^ w) != key) return false;
        out = unpack(w);
        return true;
    }
    void store(HashKey key, const PawnHashData& d) {
        const u64 w = pack(d);
        keyXorData.store(key ^ w, std::memory_order_relaxed);
        data.store(w, std::memory_order_relaxed);
    }
    // The key the entry answers to; 0 for an entry never written.
    HashKey storedKey() const {
        return keyXorData.load(std::memory_order_relaxed) ^ data.load(std::memory_order_relaxed);
    }
};
static_assert(sizeof(PawnHashEntry) == 16);

struct PawnHashTable {
    PawnHashEntry* entries = nullptr;
    u32 mask = 0;  // entry count - 1
    // Counted by every thread with plain relaxed loads and stores: a statistic,
    // it may lose a count when two threads hit at once.
    std::atomic<u64> pawnHashHits{0};

    PawnHashTable() = default;
    PawnHashTable(const PawnHashTable&) = delete;
    PawnHashTable& operator=(const PawnHashTable&) = delete;
    ~PawnHashTable();

    // A cleared table of `sizeMB` MB (at least 1): the largest power-of-two
    // number of entries that fits. nullptr when the memory cannot be had.
    static PawnHashTable* create(u32 sizeMB);
    // Replaces the entries by a cleared array of the new size; on failure
    // returns false and leaves the table as it was. Not while a search runs.
    bool resize(u32 sizeMB);
    // Empties every entry and zeroes the hit counter. Not while a search runs.
    void clear();

    u64 entryCount() const { return entries ? u64(mask) + 1 : 0; }
    // The size in use, in MB (entries x 16 bytes).
    u32 sizeMB() const { return u32(entryCount() * sizeof(PawnHashEntry) >> 20); }
    // Entries with a stored key among the first `limit` entries.
    u64 countFilled(u64 limit) const;

    PawnHashEntry& entryFor(HashKey key) { return entries[key & mask]; }
    void countHit() {
        pawnHashHits.store(pawnHashHits.load(std::memory_order_relaxed) + 1,
                           std::memory_order_relaxed);
    }
};

// Per-side pawn-structure sums, filled only for the "eval" breakdown.
struct PawnStructureTrace {
    i16 mg[2] = {0, 0};
    i16 eg[2] = {0, 0};
};

// Computes the pawn-structure scores and file masks of a position from
// scratch (isolated, doubled and backward pawns). `trace` may be null.
PawnHashData computePawnStructure(const Board& board, PawnStructureTrace* trace);

// Whether the pawn of colour Us on `sq` is backward; sets the two out-flags.
template <Color Us>
bool isBackwardPawn(const Board& board, Square sq, Bitboard ownPawns, u32 ownIsolatedFiles,
                    bool& pathAttacked, bool& pathBlocked);
