#include "eval/pawn_hash.h"

#include <cassert>
#include <new>

#include "board/tables.h"
#include "eval/eval_tables.h"
#include "platform/large_block.h"

using namespace evaltables;

namespace {

// Entry count for a request of sizeMB: the largest power of two n with
// n x 16 bytes <= sizeMB MB.
u64 entriesFor(u32 sizeMB) {
    const u64 bytes = u64(sizeMB ? sizeMB : 1) << 20;
    u64 n = 1;
    while (n * 2 * sizeof(PawnHashEntry) <= bytes) n *= 2;
    return n;
}

// Mapped, not taken from the heap (see platform/large_block.h); every entry
// value-initialised (both words 0). nullptr when the memory cannot be had.
PawnHashEntry* allocateEntries(u64 n) {
    return mapLargeArray<PawnHashEntry>(n);
}

void releaseEntries(PawnHashEntry* entries, u64 n) {
    unmapLargeBlock(entries, n * sizeof(PawnHashEntry));
}

}  // namespace

PawnHashTable::~PawnHashTable() {
    releaseEntries(entries, entryCount());
}

PawnHashTable* PawnHashTable::create(u32 sizeMB) {
    PawnHashTable* table = new (std::nothrow) PawnHashTable;
    if (!table) return nullptr;
    if (!table->resize(sizeMB)) {
        delete table;
        return nullptr;
    }
    return table;
}

bool PawnHashTable::resize(u32 sizeMB) {
    const u64 n = entriesFor(sizeMB);
    PawnHashEntry* fresh = allocateEntries(n);
    if (!fresh) return false;
    releaseEntries(entries, entryCount());
    entries = fresh;
    mask = u32(n - 1);
    pawnHashHits.store(0, std::memory_order_relaxed);
    return true;
}

void PawnHashTable::clear() {
    for (u64 i = 0; i < entryCount(); ++i) {
        entries[i].keyXorData.store(0, std::memory_order_relaxed);
        entries[i].data.store(0, std::memory_order_relaxed);
    }
    pawnHashHits.store(0, std::memory_order_relaxed);
}

u64 PawnHashTable::countFilled(u64 limit) const {
    u64 filled = 0;
    for (u64 i = 0; i < limit && i < entryCount(); ++i) filled += entries[i].storedKey() != 0;
    return filled;
}

// ---------------------------------------------------------------------------

template <Color Us>
bool isBackwardPawn(const Board& board, Square sq, Bitboard ownPawns, u32 ownIsolatedFiles,
                    bool& pathAttacked, bool& pathBlocked) {
    pathAttacked = pathBlocked = false;
    const int file = fileOf(sq), rank = rankOf(sq);
    if (ownIsolatedFiles & (1u << file)) return false;
    if (Us == WHITE ? rank >= 5 : rank <= 2) return false;  // on the 6th rank or beyond
    if (pawnSupportMask[Us][sq] & ownPawns) return false;

    // The nearest own pawn ahead on a neighbouring file sets how far the path runs.
    const Bitboard ahead = pawnSpanMask[Us][sq] & ~pawnFileFrontMask[Us][sq] & ownPawns;
    if (!ahead) return false;  // only on an isolated file, excluded above
    Bitboard path = pawnFileFrontMask[Us][sq];
    if (Us == WHITE) {
        const int k = rankOf(lowestSquare(ahead));
        path &= ~Bitboard(0) >> (8 * (7 - k));  // ranks up to k
    } else {
        const int k = rankOf(63 - __builtin_clzll(ahead));
        path &= ~Bitboard(0) << (8 * k);  // ranks down to k
    }

    const Bitboard enemyPawns = board.pieces(PAWN, ~Us);
    // Squares from which an enemy pawn attacks a path square.
    const Bitboard attackers = Us == WHITE ? ((path << 7) & ~FILE_H) | ((path << 9) & ~FILE_A)
                                           : ((path >> 9) & ~FILE_H) | ((path >> 7) & ~FILE_A);
    pathAttacked = (attackers & enemyPawns) != 0;
    pathBlocked = (path & enemyPawns) != 0;
    return pathAttacked || pathBlocked;
}

template bool isBackwardPawn<WHITE>(const Board&, Square, Bitboard, u32, bool&, bool&);
template bool isBackwardPawn<BLACK>(const Board&, Square, Bitboard, u32, bool&, bool&);

namespace {

// One side's isolated, doubled and backward terms, added into mg and eg.
template <Color Us>
void addSideStructure(const Board& board, const int (&filePawns)[2][8], int& mg, int& eg) {
    u32 isolated = 0;
    for (int f = 0; f < 8; ++f) {
        if (!filePawns[Us][f]) continue;
        const bool left = f > 0 && filePawns[Us][f - 1], right = f < 7 && filePawns[Us][f + 1];
        if (!left && !right) {
            isolated |= 1u << f;
            mg += ISOLATED_PAWN.mg, eg += ISOLATED_PAWN.eg;
        }
        if (filePawns[Us][f] > 1) mg += DOUBLED_PAWN.mg, eg += DOUBLED_PAWN.eg;
    }
    const Bitboard ownPawns = board.pieces(PAWN, Us);
    for (Bitboard b = ownPawns; b;) {
        const Square sq = Square(popLowest(b));
        bool attacked, blocked;
        if (!isBackwardPawn<Us>(board, sq, ownPawns, isolated, attacked, blocked)) continue;
        if (attacked) mg += BACKWARD_ATTACKED.mg, eg += BACKWARD_ATTACKED.eg;
        if (blocked) mg += BACKWARD_BLOCKED.mg, eg += BACKWARD_BLOCKED.eg;
    }
}

}  // namespace

PawnHashData computePawnStructure(const Board& board, PawnStructureTrace* trace) {
    int filePawns[2][8] = {};
    for (int c = 0; c < 2; ++c)
        for (int f = 0; f < 8; ++f)
            filePawns[c][f] = popCount(board.pieces(PAWN, Color(c)) & (FILE_A << f));

    PawnHashData d;
    for (int f = 0; f < 8; ++f) {
        const bool white = filePawns[WHITE][f] > 0, black = filePawns[BLACK][f] > 0;
        if (!white && !black) d.openFiles |= u8(1u << f);
        if (white != black) d.halfOpenFiles |= u8(1u << f);
    }
    int mg[2] = {0, 0}, eg[2] = {0, 0};
    addSideStructure<BLACK>(board, filePawns, mg[BLACK], eg[BLACK]);
    addSideStructure<WHITE>(board, filePawns, mg[WHITE], eg[WHITE]);
    d.mg = i16(mg[WHITE] - mg[BLACK]);
    d.eg = i16(eg[WHITE] - eg[BLACK]);
    if (trace) {
        for (int c = 0; c < 2; ++c) trace->mg[c] = i16(mg[c]), trace->eg[c] = i16(eg[c]);
    }
    return d;
}
