#include "search/transposition_table.h"

#include "platform/large_block.h"

namespace {
std::atomic<u64> allocationLimit{0};
}

void setTableAllocationLimitForTesting(u64 bytes) {
    allocationLimit.store(bytes, std::memory_order_relaxed);
}

bool tableAllocationAllowed(u64 bytes) {
    u64 limit = allocationLimit.load(std::memory_order_relaxed);
    return limit == 0 || bytes <= limit;
}

u32 entryCountForSize(u32 sizeMB, u32 entryBytes) {
    u64 bytes = u64(sizeMB < 1 ? 1 : sizeMB) << 20;
    u64 n = 1;
    while ((n << 1) * entryBytes <= bytes && (n << 1) <= (u64(1) << 31)) n <<= 1;
    return u32(n);
}

TranspositionTable::~TranspositionTable() {
    release();
}

void TranspositionTable::release() {
    unmapLargeBlock(entries, size_t(entryCount) * sizeof(TTEntry));
    entries = nullptr;
    entryCount = 0;
    bucketMask = 0;
}

bool TranspositionTable::allocate(u32 count) {
    release();
    if (count < TT_BUCKET_SIZE || !tableAllocationAllowed(u64(count) * sizeof(TTEntry)))
        return false;
    // Mapped, not taken from the heap (see platform/large_block.h); page
    // alignment keeps every bucket on one cache line.
    const size_t bucketCount = count / TT_BUCKET_SIZE;
    // Value-initialised: every entry starts empty (both words 0).
    auto* buckets = mapLargeArray<TTBucket>(bucketCount);
    if (buckets == nullptr) return false;
    entries = buckets[0].entries;
    entryCount = count;
    bucketMask = count / TT_BUCKET_SIZE - 1;
    return true;
}

void TranspositionTable::clear() {
    for (u32 i = 0; i < entryCount; i++) entries[i].clear();
}

namespace {

// The slot a new entry for `key` goes to: the entry of the same key, else the
// first empty one, else the one of least depth * 256 + 256 - age (lowest slot
// on ties).
TTEntry* replacementSlot(TTEntry* bucket, HashKey key) {
    TTEntry* empty = nullptr;
    TTEntry* victim = nullptr;
    u32 victimValue = ~0u;
    for (u32 i = 0; i < TT_BUCKET_SIZE; i++) {
        TTData d = bucket[i].load();
        if (d.key == key) return &bucket[i];
        if (d.key == 0) {
            if (empty == nullptr) empty = &bucket[i];
            continue;
        }
        u32 value = u32(d.depth) * 256 + 256 - d.age;
        if (value < victimValue) {
            victimValue = value;
            victim = &bucket[i];
        }
    }
    return empty != nullptr ? empty : victim;
}

}  // namespace

void storeTT(TranspositionTable& table, HashKey key, u8 age, Score lo, Score hi, Score alpha,
             Score beta, i32 ply, i32 depth, Score score, Move move) {
    if (table.entries == nullptr) return;
    u16 bound = BOUND_EXACT;
    if (beta <= score && score < hi)
        bound = BOUND_LOWER;
    else if (lo < score && score <= alpha)
        bound = BOUND_UPPER;
    if (score > MATE_THRESHOLD)
        score += ply;
    else if (score <= -MATE_THRESHOLD - 1)
        score -= ply;
    u8 storedDepth = u8(depth < 0 ? 0 : depth > 255 ? 255 : depth);
    TTEntry* slot = replacementSlot(table.bucket(key), key);
    slot->store(TTData{key, move, i16(score), bound, storedDepth, age});
}

bool probeTT(const TranspositionTable& table, HashKey key, Score alpha, Score beta, i32 ply,
             i32 depth, Score& score, Move& hashMove, bool& keyMatched) {
    keyMatched = false;
    if (table.entries == nullptr) return false;
    const TTEntry* bucket = table.bucket(key);
    for (u32 i = 0; i < TT_BUCKET_SIZE; i++) {
        TTData d = bucket[i].load();
        if (d.key != key) continue;
        keyMatched = true;
        if (d.move != NO_MOVE) hashMove = d.move;
        if (i32(d.depth) < depth) return false;
        Score s = d.score;
        if (s > MATE_THRESHOLD)
            s -= ply;
        else if (s <= -MATE_THRESHOLD - 1)
            s += ply;
        bool usable = d.bound == BOUND_EXACT || (d.bound == BOUND_LOWER && s >= beta) ||
                      (d.bound == BOUND_UPPER && s <= alpha);
        if (!usable) return false;
        score = s;
        return true;
    }
    return false;
}
