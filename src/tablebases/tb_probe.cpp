// The probe of one position, en passant and colour exchange included, and the
// prober's start and stop.
#include <sys/resource.h>

#include <cstring>

#include "tablebases/tablebases.h"
#include "tablebases/tb_internal.h"

namespace tb {

Prober& prober() {
    static Prober p;
    return p;
}

namespace {

constexpr u32 MAX_LIST = TbProbeInput::LIST_SIZE - 1;

// One side's men: squares and kinds, ended by 64 and 0.
struct ManList {
    u32 squares[TbProbeInput::LIST_SIZE];
    u8 kinds[TbProbeInput::LIST_SIZE];
    u32 count = 0;
};

// Copies a caller's list, refusing what no board could hand over.
bool copyList(const u32* squares, const u8* kinds, ManList& list) {
    list.count = 0;
    while (list.count < MAX_LIST && squares[list.count] != SQUARE_END) {
        const u32 s = squares[list.count];
        const u8 k = kinds[list.count];
        if (s >= 64 || k < 1 || k > 6) return false;
        list.squares[list.count] = s;
        list.kinds[list.count] = k;
        ++list.count;
    }
    if (squares[list.count] != SQUARE_END || list.count == 0) return false;
    list.squares[list.count] = SQUARE_END;
    list.kinds[list.count] = 0;
    return true;
}

// King first, then queens, rooks, bishops, knights, pawns.
void tbSortPieces(ManList& list) {
    for (u32 i = 0; i < list.count; ++i)
        for (u32 j = i + 1; j < list.count; ++j)
            if (list.kinds[j] > list.kinds[i]) {
                std::swap(list.kinds[i], list.kinds[j]);
                std::swap(list.squares[i], list.squares[j]);
            }
}

PackedValue packed(u32 plies, u32 outcome) {
    return PackedValue(plies << 3 | outcome);
}

// How good a value is for the side to move: higher is better.
int merit(PackedValue v, int side) {
    const u32 outcome = v & 7, plies = v >> 3;
    const u32 winner = side == 0 ? TB_WHITE_MATES : TB_BLACK_MATES;
    if (outcome == TB_DRAW) return 0;
    return outcome == winner ? 100000 - int(plies) : int(plies) - 100000;
}

// The better of the table's value and an en-passant capture's for the side to move.
PackedValue tbBetterForSide(int side, PackedValue v, PackedValue child) {
    if ((child & 7) == TB_NO_VALUE) return v;
    if ((v & 7) == TB_NO_VALUE) return child;
    return merit(child, side) > merit(v, side) ? child : v;
}

bool lookup(int side, int epSquare, ManList white, ManList black, bool hard, PackedValue& out);

// The value of (id, side, index) from the cache or the files; marks the
// endgame failed when its files cannot give it.
bool readValue(int id, int side, u32 index, bool hard, PackedValue& value) {
    EndgameEntry& e = endgameTable()[id];
    std::lock_guard<std::mutex> lock(prober().mutex);
    auto failEndgame = [&e] {
        e.status.store(STATUS_FAILED, std::memory_order_relaxed);
        return false;
    };
    if (tbCacheOn()) {
        if (tbCacheGet(id, side, index, value)) return true;
        if (!hard) return false;
        if (index >= e.maxIndex || !tbCacheLoadBlock(id, side, index)) return failEndgame();
        if (!tbCacheGet(id, side, index, value)) return failEndgame();
        return true;
    }
    if (!hard) return false;
    if (index >= e.maxIndex || !tbReadStoredValue(id, side, index, value)) return failEndgame();
    return true;
}

// Every en-passant capture of the side to move, each probed after it is made.
bool applyEnPassant(int side, int epSquare, const ManList& white, const ManList& black, bool hard,
                    PackedValue& v) {
    const ManList& us = side == 0 ? white : black;
    const ManList& them = side == 0 ? black : white;
    const u32 victim = u32(epSquare) ^ 8;
    u32 victimSlot = them.count;
    for (u32 i = 0; i < them.count; ++i)
        if (them.squares[i] == victim) victimSlot = i;
    if (victimSlot == them.count) return true;
    for (u32 i = 0; i < us.count; ++i) {
        const u32 s = us.squares[i];
        const bool beside = s >> 3 == victim >> 3 && (s + 1 == victim || s == victim + 1);
        if (us.kinds[i] != 1 || !beside) continue;
        ManList mover = us, taken = them;
        mover.squares[i] = u32(epSquare);
        for (u32 j = victimSlot; j < taken.count; ++j) {
            taken.squares[j] = taken.squares[j + 1];
            taken.kinds[j] = taken.kinds[j + 1];
        }
        --taken.count;
        PackedValue child;
        const bool ok = side == 0 ? lookup(1, SQUARE_END, mover, taken, hard, child)
                                  : lookup(0, SQUARE_END, taken, mover, hard, child);
        if (!ok) return false;
        const u32 outcome = child & 7;
        if (outcome == TB_WHITE_MATES || outcome == TB_BLACK_MATES)
            child = packed((child >> 3) + 1, outcome);
        v = tbBetterForSide(side, v, child);
    }
    return true;
}

bool lookup(int side, int epSquare, ManList white, ManList black, bool hard, PackedValue& out) {
    if (white.count == 1 && black.count == 1) {
        if (white.kinds[0] != 6 || black.kinds[0] != 6) return false;
        out = kingPairNumber(black.squares[0], white.squares[0]) < 0 ? packed(0, TB_NO_VALUE)
                                                                     : packed(0, TB_DRAW);
        return true;
    }
    tbSortPieces(white);
    tbSortPieces(black);
    int id;
    bool exchanged = false;
    if (!tbFindIdByName(white.kinds, black.kinds, id)) {
        if (!tbFindIdByName(black.kinds, white.kinds, id)) return false;
        exchanged = true;
        std::swap(white, black);
        for (ManList* list : {&white, &black})
            for (u32 i = 0; i < list->count; ++i) list->squares[i] ^= 56;
        side ^= 1;
        if (epSquare != int(SQUARE_END)) epSquare ^= 56;
    }
    EndgameEntry& e = endgameTable()[id];
    if (e.status.load(std::memory_order_relaxed) != STATUS_USABLE) return false;
    PackedValue v = packed(0, TB_NO_VALUE);
    u32 index;
    if (e.indexOf(white.squares, black.squares, index) && !readValue(id, side, index, hard, v))
        return false;
    if (epSquare != int(SQUARE_END) && !applyEnPassant(side, epSquare, white, black, hard, v))
        return false;
    if (exchanged) {
        const u32 outcome = v & 7;
        if (outcome == TB_WHITE_MATES || outcome == TB_BLACK_MATES) v = packed(v >> 3, outcome ^ 3);
    }
    out = v;
    return true;
}

u32 openFilePoolSize() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 4;
    const rlim_t soft = limit.rlim_cur;
    if (soft == RLIM_INFINITY || soft > rlim_t(MAX_OPEN_FILES) + 5) return MAX_OPEN_FILES;
    if (soft <= 8) return 4;  // limit - 5 would be 3 or less
    return u32(soft - 5);
}

}  // namespace

}  // namespace tb

using namespace tb;

bool tbLookupPosition(int side, int epSquare, const u32* whiteSquares, const u32* blackSquares,
                      const u8* whiteKinds, const u8* blackKinds, bool hard, TbOutcome& outcome,
                      u32& plies) {
    outcome = TB_NO_VALUE;
    plies = 0;
    ManList white, black;
    if (!prober().started || (side != 0 && side != 1) || epSquare < 0 ||
        epSquare > int(SQUARE_END) || !copyList(whiteSquares, whiteKinds, white) ||
        !copyList(blackSquares, blackKinds, black))
        return false;
    PackedValue v;
    if (!lookup(side, epSquare, white, black, hard, v)) return false;
    outcome = TbOutcome(v & 7);
    plies = v >> 3;
    return true;
}

void tbLibraryStart(int scheme, const std::vector<std::string>& paths) {
    Prober& p = prober();
    static const bool mapsBuilt = (tbInitAttackMaps(), true);
    (void)mapsBuilt;
    p.paths = paths;
    tbBuildIndexTables();
    p.poolSize = openFilePoolSize();
    p.openCount = 0;
    p.scheme = scheme;
    p.uncompressed = scheme == 0;
    tbFreeBlockIndexes();
    EndgameEntry* table = endgameTable();
    for (int id = 0; id < ENDGAME_COUNT; ++id) {
        table[id].nextPath = 0;
        table[id].status.store(STATUS_USABLE, std::memory_order_relaxed);
        if (tbOpenFile(id)) tbLoadBlockIndex(id);
    }
    p.started = true;
}

void tbLibraryStop() {
    Prober& p = prober();
    p.started = false;
    tbCloseAllFiles();
    EndgameEntry* table = endgameTable();
    for (int id = 0; id < ENDGAME_COUNT; ++id)
        table[id].status.store(STATUS_USABLE, std::memory_order_relaxed);
    tbFreeBlockIndexes();
    p.paths.clear();
}
