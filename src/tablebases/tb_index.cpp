// The endgame table and the index functions of its 25 piece-pattern classes.
#include "tablebases/tb_index.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

namespace tb {
namespace {

using u64 = std::uint64_t;
using i16 = std::int16_t;

enum class Cls {
    KXvK,
    KXYvK,
    KXvKY,
    KXXvK,
    KXXXvK,
    KXXYvK,
    KXYYvK,
    KXYZvK,
    KXXvKY,
    KXYvKZ,
    KPvK,
    KXPvK,
    KXvKP,
    KXYPvK,
    KXPvKY,
    KXYvKP,
    KXXPvK,
    KXXvKP,
    KPvKP,
    KXPvKP,
    KPPvK,
    KXPPvK,
    KPPvKX,
    KPPvKP,
    KPPPvK,
};

constexpr u32 KING_PAIRS = 462;
constexpr u32 LIKE_PAIRS = 2016;
constexpr u32 LIKE_TRIPLES = 41664;
constexpr u32 PAWN_SLOTS = 24;
constexpr u32 PAWN_SQUARES = 48;
constexpr u32 PAWN_PAIRS = 576;
constexpr u32 TWO_PAWNS = 1128;
constexpr u32 PAWN_TRIPLES = 8648;
constexpr u32 S1 = 64, S2 = 64 * 64, S3 = 64 * 64 * 64, S4 = 64u * 64 * 64 * 64;

const char* const ENDGAME_NAMES[ENDGAME_COUNT] = {
    "kqk",   "krk",   "kbk",   "knk",   "kpk",   "kqkq",  "kqkr",  "kqkb",  "kqkn",  "krkr",
    "krkb",  "krkn",  "kbkb",  "kbkn",  "knkn",  "kqqk",  "kqrk",  "kqbk",  "kqnk",  "krrk",
    "krbk",  "krnk",  "kbbk",  "kbnk",  "knnk",  "kqkp",  "krkp",  "kbkp",  "knkp",  "kqpk",
    "krpk",  "kbpk",  "knpk",  "kppk",  "kpkp",  "kqqqk", "kqqrk", "kqqbk", "kqqnk", "kqrrk",
    "kqrbk", "kqrnk", "kqbbk", "kqbnk", "kqnnk", "krrrk", "krrbk", "krrnk", "krbbk", "krbnk",
    "krnnk", "kbbbk", "kbbnk", "kbnnk", "knnnk", "kqqkq", "kqqkr", "kqqkb", "kqqkn", "kqrkq",
    "kqrkr", "kqrkb", "kqrkn", "kqbkq", "kqbkr", "kqbkb", "kqbkn", "kqnkq", "kqnkr", "kqnkb",
    "kqnkn", "krrkq", "krrkr", "krrkb", "krrkn", "krbkq", "krbkr", "krbkb", "krbkn", "krnkq",
    "krnkr", "krnkb", "krnkn", "kbbkq", "kbbkr", "kbbkb", "kbbkn", "kbnkq", "kbnkr", "kbnkb",
    "kbnkn", "knnkq", "knnkr", "knnkb", "knnkn", "kqqpk", "kqrpk", "kqbpk", "kqnpk", "krrpk",
    "krbpk", "krnpk", "kbbpk", "kbnpk", "knnpk", "kqppk", "krppk", "kbppk", "knppk", "kqpkq",
    "kqpkr", "kqpkb", "kqpkn", "krpkq", "krpkr", "krpkb", "krpkn", "kbpkq", "kbpkr", "kbpkb",
    "kbpkn", "knpkq", "knpkr", "knpkb", "knpkn", "kppkq", "kppkr", "kppkb", "kppkn", "kqqkp",
    "kqrkp", "kqbkp", "kqnkp", "krrkp", "krbkp", "krnkp", "kbbkp", "kbnkp", "knnkp", "kqpkp",
    "krpkp", "kbpkp", "knpkp", "kppkp", "kpppk",
};

EndgameEntry g_table[ENDGAME_COUNT + 1];
constexpr u32 CODE_COUNT = 7 * 7 * 7 * 7 * 7;  // names of at most five letters
u32 g_codeOfId[ENDGAME_COUNT];
i16 g_idOfCode[CODE_COUNT];

// Index tables; -1 marks a placement without a number.
u64 g_kingReach[64];
u8 g_flipFlags[64][64];  // [Black king][White king]
i16 g_kingPair[64][64];  // [Black king][White king], canonical pairs only
i16 g_likePair[64][64];
u32 g_choose2[64], g_choose3[64];
i16 g_pawnPair[PAWN_SLOTS][PAWN_SQUARES];
i16 g_twoPawn[PAWN_SQUARES][PAWN_SQUARES];
i16 g_pawnTriple[PAWN_SQUARES][PAWN_SQUARES][PAWN_SQUARES];

constexpr u32 flipDiagonal(u32 s) {
    return (s >> 3) | ((s & 7) << 3);
}
constexpr u32 transform(u32 s, u32 flags) {
    if (flags & 1) s ^= 7;
    if (flags & 2) s ^= 56;
    if (flags & 4) s = flipDiagonal(s);
    return s;
}
constexpr u32 rankOfSq(u32 s) {
    return s >> 3;
}
constexpr u32 fileOfSq(u32 s) {
    return s & 7;
}
constexpr bool onPawnRanks(u32 s) {
    return s >= 8 && s < 56;
}
// Slots of a pawn on files a-d, ranks 2-7: 0..3 one step from promotion.
constexpr u32 whitePawnSlot(u32 s) {
    return 4 * (6 - rankOfSq(s)) + fileOfSq(s);
}
constexpr u32 blackPawnSlot(u32 s) {
    return 4 * (rankOfSq(s) - 1) + fileOfSq(s);
}

u8 computeFlipFlags(u32 blackKing, u32 whiteKing) {
    u32 flags = 0;
    if (blackKing & 4) flags |= 1;
    if (blackKing & 32) flags |= 2;
    u32 a = transform(blackKing, flags), b = transform(whiteKing, flags);
    if (fileOfSq(a) < rankOfSq(a) || (fileOfSq(a) == rankOfSq(a) && fileOfSq(b) < rankOfSq(b)))
        flags |= 4;
    return u8(flags);
}

// The pair of two White pawns in their fixed order: higher rank first; on one
// rank the pawn nearer the edge; on mirrored files the lower square.
void orderPair(u32 x, u32 y, u32& first, u32& second) {
    bool xFirst;
    if (rankOfSq(x) != rankOfSq(y)) {
        xFirst = rankOfSq(x) > rankOfSq(y);
    } else {
        u32 ex = std::min(fileOfSq(x), 7 - fileOfSq(x)),
            ey = std::min(fileOfSq(y), 7 - fileOfSq(y));
        xFirst = ex != ey ? ex < ey : x < y;
    }
    first = xFirst ? x : y;
    second = xFirst ? y : x;
}

int likeTriple(u32 a, u32 b, u32 c) {
    u32 s[3] = {a, b, c};
    std::sort(s, s + 3);
    if (s[0] == s[1] || s[1] == s[2]) return -1;
    return int(s[0] + g_choose2[s[1]] + g_choose3[s[2]]);
}

// Number of the ordered pawn pair after its file mirror; -1 when none.
int pawnPairNumber(u32 p1, u32 p2, u32& mirror) {
    u32 first, second;
    orderPair(p1, p2, first, second);
    mirror = (first & 4) ? 7 : 0;
    first ^= mirror;
    second ^= mirror;
    return g_pawnPair[whitePawnSlot(first)][(second ^ 56) - 8];
}

bool fail(u32& index) {
    index = NO_INDEX;
    return false;
}

constexpr bool hasPawns(Cls c) {
    return c >= Cls::KPvK;
}

template <Cls C>
bool indexWithoutPawns(const u32* w, const u32* b, u32& index) {
    const u32 flags = g_flipFlags[b[0]][w[0]];
    auto t = [flags](u32 s) { return transform(s, flags); };
    const int k = g_kingPair[t(b[0])][t(w[0])];
    if (k < 0) return fail(index);
    const u32 ku = u32(k);
    int lp = 0;
    if constexpr (C == Cls::KXvK) {
        index = ku * S1 + t(w[1]);
    } else if constexpr (C == Cls::KXYvK) {
        index = ku * S2 + t(w[1]) * S1 + t(w[2]);
    } else if constexpr (C == Cls::KXvKY) {
        index = ku * S2 + t(w[1]) * S1 + t(b[1]);
    } else if constexpr (C == Cls::KXXvK) {
        if ((lp = g_likePair[t(w[1])][t(w[2])]) < 0) return fail(index);
        index = ku * LIKE_PAIRS + u32(lp);
    } else if constexpr (C == Cls::KXXXvK) {
        if ((lp = likeTriple(t(w[1]), t(w[2]), t(w[3]))) < 0) return fail(index);
        index = ku * LIKE_TRIPLES + u32(lp);
    } else if constexpr (C == Cls::KXXYvK) {
        if ((lp = g_likePair[t(w[1])][t(w[2])]) < 0) return fail(index);
        index = ku * LIKE_PAIRS * S1 + u32(lp) * S1 + t(w[3]);
    } else if constexpr (C == Cls::KXYYvK) {
        if ((lp = g_likePair[t(w[2])][t(w[3])]) < 0) return fail(index);
        index = ku * LIKE_PAIRS * S1 + u32(lp) * S1 + t(w[1]);
    } else if constexpr (C == Cls::KXYZvK) {
        index = ku * S3 + t(w[1]) * S2 + t(w[2]) * S1 + t(w[3]);
    } else if constexpr (C == Cls::KXXvKY) {
        if ((lp = g_likePair[t(w[1])][t(w[2])]) < 0) return fail(index);
        index = ku * LIKE_PAIRS * S1 + u32(lp) * S1 + t(b[1]);
    } else if constexpr (C == Cls::KXYvKZ) {
        index = ku * S3 + t(w[1]) * S2 + t(w[2]) * S1 + t(b[1]);
    }
    return true;
}

template <Cls C>
bool indexWithPawns(const u32* w, const u32* b, u32& index) {
    u32 m = 0;  // the file mirror, 7 or 0
    auto t = [&m](u32 s) { return s ^ m; };
    auto mirrorBy = [&m](u32 pawn) { m = (pawn & 4) ? 7 : 0; };
    auto pawnsOk = [](std::initializer_list<u32> pawns) {
        for (u32 p : pawns)
            if (!onPawnRanks(p)) return false;
        return true;
    };
    if constexpr (C == Cls::KPvK) {
        if (!pawnsOk({w[1]})) return fail(index);
        mirrorBy(w[1]);
        index = whitePawnSlot(t(w[1])) * S2 + t(w[0]) * S1 + t(b[0]);
    } else if constexpr (C == Cls::KXPvK) {
        if (!pawnsOk({w[2]})) return fail(index);
        mirrorBy(w[2]);
        index = whitePawnSlot(t(w[2])) * S3 + t(w[0]) * S2 + t(b[0]) * S1 + t(w[1]);
    } else if constexpr (C == Cls::KXvKP) {
        if (!pawnsOk({b[1]})) return fail(index);
        mirrorBy(b[1]);
        index = blackPawnSlot(t(b[1])) * S3 + t(w[0]) * S2 + t(b[0]) * S1 + t(w[1]);
    } else if constexpr (C == Cls::KXYPvK) {
        if (!pawnsOk({w[3]})) return fail(index);
        mirrorBy(w[3]);
        index = whitePawnSlot(t(w[3])) * S4 + t(w[0]) * S3 + t(b[0]) * S2 + t(w[1]) * S1 + t(w[2]);
    } else if constexpr (C == Cls::KXPvKY) {
        if (!pawnsOk({w[2]})) return fail(index);
        mirrorBy(w[2]);
        index = whitePawnSlot(t(w[2])) * S4 + t(w[0]) * S3 + t(b[0]) * S2 + t(w[1]) * S1 + t(b[1]);
    } else if constexpr (C == Cls::KXYvKP) {
        if (!pawnsOk({b[1]})) return fail(index);
        mirrorBy(b[1]);
        index = blackPawnSlot(t(b[1])) * S4 + t(w[0]) * S3 + t(b[0]) * S2 + t(w[1]) * S1 + t(w[2]);
    } else if constexpr (C == Cls::KXXPvK || C == Cls::KXXvKP) {
        const u32 pawn = C == Cls::KXXPvK ? w[3] : b[1];
        if (!pawnsOk({pawn})) return fail(index);
        mirrorBy(pawn);
        const int lp = g_likePair[t(w[1])][t(w[2])];
        if (lp < 0) return fail(index);
        const u32 slot = C == Cls::KXXPvK ? whitePawnSlot(t(pawn)) : blackPawnSlot(t(pawn));
        index = slot * LIKE_PAIRS * S2 + t(w[0]) * LIKE_PAIRS * S1 + t(b[0]) * LIKE_PAIRS + u32(lp);
    } else if constexpr (C == Cls::KPvKP) {
        if (!pawnsOk({w[1], b[1]})) return fail(index);
        mirrorBy(w[1]);
        index = (whitePawnSlot(t(w[1])) * PAWN_SQUARES + t(b[1]) - 8) * S2 + t(w[0]) * S1 + t(b[0]);
    } else if constexpr (C == Cls::KXPvKP) {
        if (!pawnsOk({w[2], b[1]})) return fail(index);
        mirrorBy(w[2]);
        index = (whitePawnSlot(t(w[2])) * PAWN_SQUARES + t(b[1]) - 8) * S3 + t(w[0]) * S2 +
                t(b[0]) * S1 + t(w[1]);
    } else if constexpr (C == Cls::KPPvK || C == Cls::KXPPvK || C == Cls::KPPvKX) {
        const u32 p1 = C == Cls::KXPPvK ? w[2] : w[1], p2 = C == Cls::KXPPvK ? w[3] : w[2];
        if (!pawnsOk({p1, p2})) return fail(index);
        const int pp = pawnPairNumber(p1, p2, m);
        if (pp < 0) return fail(index);
        if constexpr (C == Cls::KPPvK)
            index = u32(pp) * S2 + t(w[0]) * S1 + t(b[0]);
        else
            index = u32(pp) * S3 + t(w[0]) * S2 + t(b[0]) * S1 + t(C == Cls::KXPPvK ? w[1] : b[1]);
    } else if constexpr (C == Cls::KPPvKP) {
        if (!pawnsOk({w[1], w[2], b[1]})) return fail(index);
        mirrorBy(b[1]);
        const int tp = g_twoPawn[(t(w[1]) ^ 63) - 8][(t(w[2]) ^ 63) - 8];
        if (tp < 0) return fail(index);
        index = (blackPawnSlot(t(b[1])) * TWO_PAWNS + u32(tp)) * S2 + t(w[0]) * S1 + t(b[0]);
    } else if constexpr (C == Cls::KPPPvK) {
        if (!pawnsOk({w[1], w[2], w[3]})) return fail(index);
        int v = g_pawnTriple[w[1] - 8][w[2] - 8][w[3] - 8];
        if (v < 0) {
            m = 7;
            v = g_pawnTriple[t(w[1]) - 8][t(w[2]) - 8][t(w[3]) - 8];
        }
        if (v < 0) return fail(index);
        index = u32(v) * S2 + t(w[0]) * S1 + t(b[0]);
    }
    return true;
}

template <Cls C>
bool indexOf(const u32* w, const u32* b, u32& index) {
    if constexpr (hasPawns(C))
        return indexWithPawns<C>(w, b, index);
    else
        return indexWithoutPawns<C>(w, b, index);
}

struct ClassInfo {
    IndexFunction indexOf;
    u32 maxIndex;
};

ClassInfo classInfo(Cls c) {
    switch (c) {
        case Cls::KXvK:
            return {indexOf<Cls::KXvK>, KING_PAIRS * S1};
        case Cls::KXYvK:
            return {indexOf<Cls::KXYvK>, KING_PAIRS * S2};
        case Cls::KXvKY:
            return {indexOf<Cls::KXvKY>, KING_PAIRS * S2};
        case Cls::KXXvK:
            return {indexOf<Cls::KXXvK>, KING_PAIRS * LIKE_PAIRS};
        case Cls::KXXXvK:
            return {indexOf<Cls::KXXXvK>, KING_PAIRS * LIKE_TRIPLES};
        case Cls::KXXYvK:
            return {indexOf<Cls::KXXYvK>, KING_PAIRS * LIKE_PAIRS * S1};
        case Cls::KXYYvK:
            return {indexOf<Cls::KXYYvK>, KING_PAIRS * LIKE_PAIRS * S1};
        case Cls::KXYZvK:
            return {indexOf<Cls::KXYZvK>, KING_PAIRS * S3};
        case Cls::KXXvKY:
            return {indexOf<Cls::KXXvKY>, KING_PAIRS * LIKE_PAIRS * S1};
        case Cls::KXYvKZ:
            return {indexOf<Cls::KXYvKZ>, KING_PAIRS * S3};
        case Cls::KPvK:
            return {indexOf<Cls::KPvK>, PAWN_SLOTS * S2};
        case Cls::KXPvK:
            return {indexOf<Cls::KXPvK>, PAWN_SLOTS * S3};
        case Cls::KXvKP:
            return {indexOf<Cls::KXvKP>, PAWN_SLOTS * S3};
        case Cls::KXYPvK:
            return {indexOf<Cls::KXYPvK>, PAWN_SLOTS * S4};
        case Cls::KXPvKY:
            return {indexOf<Cls::KXPvKY>, PAWN_SLOTS * S4};
        case Cls::KXYvKP:
            return {indexOf<Cls::KXYvKP>, PAWN_SLOTS * S4};
        case Cls::KXXPvK:
            return {indexOf<Cls::KXXPvK>, PAWN_SLOTS * LIKE_PAIRS * S2};
        case Cls::KXXvKP:
            return {indexOf<Cls::KXXvKP>, PAWN_SLOTS * LIKE_PAIRS * S2};
        case Cls::KPvKP:
            return {indexOf<Cls::KPvKP>, PAWN_SLOTS * PAWN_SQUARES * S2};
        case Cls::KXPvKP:
            return {indexOf<Cls::KXPvKP>, PAWN_SLOTS * PAWN_SQUARES * S3};
        case Cls::KPPvK:
            return {indexOf<Cls::KPPvK>, PAWN_PAIRS * S2};
        case Cls::KXPPvK:
            return {indexOf<Cls::KXPPvK>, PAWN_PAIRS * S3};
        case Cls::KPPvKX:
            return {indexOf<Cls::KPPvKX>, PAWN_PAIRS * S3};
        case Cls::KPPvKP:
            return {indexOf<Cls::KPPvKP>, PAWN_SLOTS * TWO_PAWNS * S2};
        case Cls::KPPPvK:
            return {indexOf<Cls::KPPPvK>, PAWN_TRIPLES * S2};
    }
    return {nullptr, 0};
}

// The class of an endgame from its name: White's men after the first "k",
// Black's after the second; the stronger side is always White.
Cls classify(const std::string& name) {
    const size_t second = name.find('k', 1);
    const std::string white = name.substr(1, second - 1), black = name.substr(second + 1);
    auto pawns = [](const std::string& s) { return int(std::count(s.begin(), s.end(), 'p')); };
    auto pieces = [](const std::string& s) {
        std::string r;
        for (char c : s)
            if (c != 'p') r += c;
        return r;
    };
    const int wp = pawns(white), bp = pawns(black);
    const std::string wx = pieces(white), bx = pieces(black);
    const bool pair = wx.size() >= 2 && wx[0] == wx[1];
    if (wp == 0 && bp == 0) {
        if (black.empty()) {
            if (wx.size() == 1) return Cls::KXvK;
            if (wx.size() == 2) return pair ? Cls::KXXvK : Cls::KXYvK;
            if (pair) return wx[1] == wx[2] ? Cls::KXXXvK : Cls::KXXYvK;
            return wx[1] == wx[2] ? Cls::KXYYvK : Cls::KXYZvK;
        }
        if (wx.size() == 1) return Cls::KXvKY;
        return pair ? Cls::KXXvKY : Cls::KXYvKZ;
    }
    const int key = int(wx.size()) * 1000 + wp * 100 + int(bx.size()) * 10 + bp;
    switch (key) {
        case 100:
            return Cls::KPvK;
        case 1100:
            return Cls::KXPvK;
        case 1001:
            return Cls::KXvKP;
        case 2100:
            return pair ? Cls::KXXPvK : Cls::KXYPvK;
        case 1110:
            return Cls::KXPvKY;
        case 2001:
            return pair ? Cls::KXXvKP : Cls::KXYvKP;
        case 101:
            return Cls::KPvKP;
        case 1101:
            return Cls::KXPvKP;
        case 200:
            return Cls::KPPvK;
        case 1200:
            return Cls::KXPPvK;
        case 210:
            return Cls::KPPvKX;
        case 201:
            return Cls::KPPvKP;
        default:
            return Cls::KPPPvK;
    }
}

bool buildEndgameTable() {
    std::fill(std::begin(g_idOfCode), std::end(g_idOfCode), i16(-1));
    for (int id = 0; id < ENDGAME_COUNT; ++id) {
        EndgameEntry& e = g_table[id];
        e.id = id;
        e.name = ENDGAME_NAMES[id];
        u32 code = 0;
        for (const char* c = e.name; *c; ++c)
            code = code * 7 + u32(std::strchr("-pnbrqk", *c) - "-pnbrqk");
        g_codeOfId[id] = code;
        g_idOfCode[code] = i16(id);
        ClassInfo info = classInfo(classify(e.name));
        e.indexOf = info.indexOf;
        e.maxIndex = info.maxIndex;
    }
    g_table[ENDGAME_COUNT].id = ENDGAME_COUNT;
    return true;
}

const bool g_tableBuilt = buildEndgameTable();

void buildKingPairs() {
    for (u32 a = 0; a < 64; ++a)
        for (u32 b = 0; b < 64; ++b) g_flipFlags[a][b] = computeFlipFlags(a, b);
    std::memset(g_kingPair, 0xFF, sizeof g_kingPair);
    int next = 0;
    for (u32 a = 0; a < 64; ++a)
        for (u32 b = 0; b < 64; ++b) {
            if (a == b || (g_kingReach[a] >> b & 1)) continue;
            const u32 f = g_flipFlags[a][b];
            i16& slot = g_kingPair[transform(a, f)][transform(b, f)];
            if (slot < 0) slot = i16(next++);
        }
}

void buildLikeTables() {
    std::memset(g_likePair, 0xFF, sizeof g_likePair);
    int next = 0;
    for (u32 s = 0; s < 63; ++s)
        for (u32 u = s + 1; u < 64; ++u) g_likePair[s][u] = g_likePair[u][s] = i16(next++);
    for (u32 g = 0; g < 64; ++g) {
        g_choose2[g] = g < 2 ? 0 : g * (g - 1) / 2;
        g_choose3[g] = g < 3 ? 0 : g * (g - 1) * (g - 2) / 6;
    }
}

void buildPawnTables() {
    std::memset(g_pawnPair, 0xFF, sizeof g_pawnPair);
    int next = 0;
    for (int q = 55; q >= 12; --q) {
        if ((q & 4) == 0) continue;
        for (int u = q - 1; u >= 8; --u) {
            u32 first, second;
            orderPair(u32(q), u32(u), first, second);
            if (first & 4) first ^= 7, second ^= 7;
            i16& slot = g_pawnPair[whitePawnSlot(first)][(second ^ 56) - 8];
            if (slot < 0) slot = i16(next++);
        }
    }
    std::memset(g_twoPawn, 0xFF, sizeof g_twoPawn);
    next = 0;
    for (u32 a = 0; a < PAWN_SQUARES; ++a)
        for (u32 b = a + 1; b < PAWN_SQUARES; ++b) g_twoPawn[a][b] = g_twoPawn[b][a] = i16(next++);

    u32 list[PAWN_SQUARES];
    u32 n = 0;
    for (u32 half : {4u, 0u})
        for (int rank = 6; rank >= 1; --rank)
            for (int file = 3; file >= 0; --file) list[n++] = u32(rank * 8) + half + u32(file);
    std::memset(g_pawnTriple, 0xFF, sizeof g_pawnTriple);
    next = 0;
    for (u32 i = 0; i < PAWN_SQUARES; ++i)
        for (u32 j = std::max(i + 1, PAWN_SQUARES / 2); j < PAWN_SQUARES; ++j)
            for (u32 k = j + 1; k < PAWN_SQUARES; ++k) {
                const u32 x = list[i] - 8, y = list[j] - 8, z = list[k] - 8;
                const i16 v = i16(next++);
                g_pawnTriple[x][y][z] = g_pawnTriple[x][z][y] = g_pawnTriple[y][x][z] = v;
                g_pawnTriple[y][z][x] = g_pawnTriple[z][x][y] = g_pawnTriple[z][y][x] = v;
            }
}

}  // namespace

EndgameEntry* endgameTable() {
    return g_table;
}

void tbInitAttackMaps() {
    // Only the king's reach is read here: it tells the touching king pairs.
    for (int s = 0; s < 64; ++s) {
        u64 reach = 0;
        for (int df = -1; df <= 1; ++df)
            for (int dr = -1; dr <= 1; ++dr) {
                const int f = (s & 7) + df, r = (s >> 3) + dr;
                if ((df || dr) && f >= 0 && f < 8 && r >= 0 && r < 8)
                    reach |= u64(1) << (r * 8 + f);
            }
        g_kingReach[s] = reach;
    }
}

void tbBuildIndexTables() {
    buildKingPairs();
    buildLikeTables();
    buildPawnTables();
}

u32 endgameCode(int id) {
    return g_codeOfId[id];
}

int endgameIdOfCode(u32 code) {
    return code < CODE_COUNT ? g_idOfCode[code] : -1;
}

int likePairIndex(u32 a, u32 b) {
    return g_likePair[a][b];
}

int kingPairNumber(u32 blackKing, u32 whiteKing) {
    const u32 f = g_flipFlags[blackKing][whiteKing];
    return g_kingPair[transform(blackKing, f)][transform(whiteKing, f)];
}

}  // namespace tb
