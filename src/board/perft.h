// Perft: counting the leaves of the legal-move tree, with a hash table of
// sub-tree counts, and divide (the count below each root move).
#pragma once

#include "board/board.h"

// 16 bytes, four to a 64-byte bucket. The bucket index is taken from the low
// key bits, so an entry keeps the key bits 16 to 63: bits that the index does
// not already imply. All stored key bits zero means the entry is empty.
struct PerftHashEntry {
    u64 count;  // leaves below the position at `depth`
    u16 depth;
    u16 keyHigh;  // key bits 48-63
    u32 keyMid;   // key bits 16-47
};
static_assert(sizeof(PerftHashEntry) == 16);

struct PerftHash {
    static constexpr u32 BUCKET_SIZE = 4;
    PerftHashEntry* entries = nullptr;
    u32 bucketMask = 0;  // entry count / 4 - 1
    u32 entryCount = 0;

    // The count of the position at `depth`, when the first entry of its
    // bucket with the same key bits holds that depth.
    bool probe(HashKey key, u32 depth, u64& count) const;
    // Same key, else the first empty entry, else the shallowest (first on a tie).
    void store(HashKey key, u64 count, u32 depth);
    void clear();
    // Per cent of the first min(entries, 65536) entries in use, over 65536.
    double usagePercent() const;
};

// Entries for at most `sizeMB` megabytes (a power of two, at least one
// bucket); smaller when the memory cannot be had. Null when not even one
// bucket can be allocated.
PerftHash* createPerftHash(u32 sizeMB);
void destroyPerftHash(PerftHash* hash);

// The deepest count the perft key stack (64 keys) allows.
constexpr int MAX_PERFT_DEPTH = 63;

// Recursion twins. The caller has put the position's key on the perft key
// stack; the side to move is Us. `nodes` counts every node visited. The hash
// may be null (no sharing of sub-tree counts).
template <Color Us>
u64 perft(u64& nodes, Board& board, PerftHash* hash, int depth);
template <Color Us>
u64 perftInCheck(u64& nodes, Board& board, const CheckerList& checkers, PerftHash* hash, int depth);
// Divide prints one line per root move: its text, a blank and its count.
template <Color Us>
u64 divide(u64& nodes, Board& board, PerftHash* hash, int depth);
template <Color Us>
u64 divideInCheck(u64& nodes, Board& board, const CheckerList& checkers, PerftHash* hash,
                  int depth);

// The whole count of the board's position: the key and pawn key recomputed
// from scratch into the current history record and put on the perft key
// stack, the check found, and the matching twin called. depth 1..63.
u64 countLeaves(Board& board, PerftHash* hash, int depth, bool printDivide, u64& nodes);

// The closing report of "perft" (lines with "# ") or "divide" (totals
// without it): leaves, nodes, the time in centiseconds as seconds with two
// decimals, nodes per second (0 for no measurable time) and the hash use.
void printPerftReport(bool divide, u64 leaves, u64 nodes, i64 centiseconds, double hashUse);
