#include "eval/evaluate.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/tables.h"
#include "eval/eval_tables.h"

using namespace evaltables;

namespace {

constexpr bool isDarkSquare(int sq) {
    return ((fileOf(sq) + rankOf(sq)) & 1) == 0;
}  // a1 is dark
constexpr int absDiff(int a, int b) {
    return a > b ? a - b : b - a;
}
constexpr int maxOf(int a, int b) {
    return a > b ? a : b;
}

// The accumulated per-side terms of one evaluation. With Trace set every
// term is also recorded in its breakdown row; without it the row arguments
// are dead and the compiler drops them.
template <bool Trace>
struct Terms {
    int mg[2] = {0, 0};
    int eg[2] = {0, 0};
    EvalBreakdown* breakdown;

    explicit Terms(EvalBreakdown* b) : breakdown(b) {}
    void add(Color c, EvalRow row, int vmg, int veg) {
        mg[c] += vmg;
        eg[c] += veg;
        if constexpr (Trace) breakdown->add(c, row, vmg, veg);
    }
    void add(Color c, EvalRow row, ScorePair v, int times = 1) {
        add(c, row, v.mg * times, v.eg * times);
    }
};

template <bool Trace>
void note(EvalBreakdown* b, Color c, EvalRow row, int mg, int eg) {
    if constexpr (Trace) b->add(c, row, mg, eg);
}

// ---------------------------------------------------------------------------
// Passed pawns: scored on every call, not hashed.

template <Color Us, bool Trace>
void evaluatePassedPawns(const Board& board, const MaterialInfo& info, Terms<Trace>& t) {
    constexpr Color Them = ~Us;
    const Bitboard enemyPawns = board.pieces(PAWN, Them), enemyMen = board.pieces(Them);
    const Bitboard occupied = board.occupied();
    const Square enemyKing = board.kingSquare(Them);
    const bool enemyHasOnlyPawns = signatureCount(info.signature[Them], SIG_ALL) ==
                                   signatureCount(info.signature[Them], SIG_PAWNS);
    // The enemy king's distance to our promotion rank; one step less when it moves first.
    const int kingToRank = Us == WHITE ? 7 - rankOf(enemyKing) : rankOf(enemyKing);
    const int tempo = board.sideToMove == Them ? 1 : 0;

    for (Bitboard b = board.pieces(PAWN, Us); b;) {
        const int sq = popLowest(b);
        if (pawnSpanMask[Us][sq] & enemyPawns) continue;
        const int rank = rankOf(sq);
        assert(rank >= 1 && rank <= 6);
        int i = Us == WHITE ? (rank == 1 ? 5 : 7 - rank) : (rank == 6 ? 5 : rank);
        // Every square ahead on the file up to the last rank.
        const Bitboard ahead = (FILE_A << fileOf(sq)) &
                               (Us == WHITE ? ~Bitboard(0) << (sq + 1) : (Bitboard(1) << sq) - 1);
        i += popCount(ahead & occupied);
        const int divisor = (ahead & enemyMen) ? 4 : 1;
        assert(i >= 0 && i < 12);
        const ScorePair v = passedPawnTable[i];
        t.add(Us, ROW_PASSED_PAWNS, v.mg / divisor, v.eg / divisor);
        if (divisor == 1 && enemyHasOnlyPawns &&
            i < maxOf(absDiff(fileOf(sq), fileOf(enemyKing)), kingToRank) - tempo) {
            assert(i < 7);
            t.add(Us, ROW_PASSED_PAWNS, unstoppablePawnTable[i]);
        }
    }
}

// ---------------------------------------------------------------------------
// Piece terms: mobility, rook and queen files, tropism to the enemy king.

struct FileInfo {
    u32 open;      // bit f: file f holds no pawn
    u32 halfOpen;  // bit f: pawns of one colour only
    int openCount;
    int halfOpenCount;
};

template <Color Us, bool Trace>
void addTropism(Terms<Trace>& t, PieceKind kind, int sq, int enemyKing) {
    const int closeness = tropismTable[kind - 1][x88Distance(sq, enemyKing)];
    t.add(Us, ROW_KING_TROPISM, tropismWeight[kind], closeness);
}

template <Color Us, bool Trace>
void addMobility(Terms<Trace>& t, EvalRow row, Bitboard reach, ScorePair perSquare,
                 ScorePair trapped) {
    const int m = popCount(reach);
    if (m)
        t.add(Us, row, perSquare, m);
    else
        t.add(Us, row, trapped);
}

// The squares a slider on sq counts for its mobility, less own men: the
// empty-board rays (blockers ignored), or, on a board that counts along the
// rays, each ray up to its first man, that man's square included.
template <Color Us>
Bitboard sliderReach(const Board& board, int sq, bool diagonal, bool orthogonal) {
    Bitboard reach = 0;
    if constexpr (Board::MOBILITY_ALONG_RAYS) {
        const Bitboard occ = board.occupied();
        if (diagonal) reach |= bishopAttacksSlow(sq, occ);
        if (orthogonal) reach |= rookAttacksSlow(sq, occ);
    } else {
        if (diagonal) reach |= bishopRays[sq];
        if (orthogonal) reach |= rookRays[sq];
    }
    return reach & ~board.pieces(Us);
}

template <Color Us, bool Trace>
void evaluatePieces(const Board& board, const FileInfo& files, Terms<Trace>& t) {
    const Bitboard own = board.pieces(Us);
    const int enemyKing = board.kingSquare(~Us);
    const int kingFile = fileOf(enemyKing);

    for (Bitboard b = board.pieces(PAWN, Us); b;) {
        const int sq = popLowest(b);
        // Only pawns not beyond the enemy king's rank pull towards it.
        if (Us == WHITE ? rankOf(sq) <= rankOf(enemyKing) : rankOf(sq) >= rankOf(enemyKing))
            addTropism<Us>(t, PAWN, sq, enemyKing);
    }
    for (Bitboard b = board.pieces(KNIGHT, Us); b;) {
        const int sq = popLowest(b);
        addMobility<Us>(t, ROW_KNIGHTS, knightAttacks[sq] & ~own, KNIGHT_MOBILITY, KNIGHT_TRAPPED);
        addTropism<Us>(t, KNIGHT, sq, enemyKing);
    }
    for (Bitboard b = board.pieces(BISHOP, Us); b;) {
        const int sq = popLowest(b);
        addMobility<Us>(t, ROW_BISHOPS, sliderReach<Us>(board, sq, true, false), BISHOP_MOBILITY,
                        BISHOP_TRAPPED);
        addTropism<Us>(t, BISHOP, sq, enemyKing);
    }
    for (Bitboard b = board.pieces(ROOK, Us); b;) {
        const int sq = popLowest(b);
        addMobility<Us>(t, ROW_ROOKS, sliderReach<Us>(board, sq, false, true), ROOK_MOBILITY,
                        ROOK_TRAPPED);
        const int f = fileOf(sq);
        if (files.open & (1u << f)) {
            t.add(Us, ROW_ROOKS, rookOpenFileTable[files.openCount]);
            if (f == kingFile)
                t.add(Us, ROW_ROOKS, ROOK_OPEN_KING_FILE);
            else if (absDiff(f, kingFile) == 1)
                t.add(Us, ROW_ROOKS, ROOK_OPEN_NEXT_TO_KING);
        } else if (files.halfOpen & (1u << f)) {
            t.add(Us, ROW_ROOKS, rookHalfOpenFileTable[files.openCount + files.halfOpenCount]);
        }
        addTropism<Us>(t, ROOK, sq, enemyKing);
    }
    for (Bitboard b = board.pieces(QUEEN, Us); b;) {
        const int sq = popLowest(b);
        addMobility<Us>(t, ROW_QUEENS, sliderReach<Us>(board, sq, true, true), QUEEN_MOBILITY,
                        QUEEN_TRAPPED);
        const int f = fileOf(sq);
        if (files.open & (1u << f)) {
            if (f == kingFile)
                t.add(Us, ROW_QUEENS, QUEEN_OPEN_KING_FILE);
            else if (absDiff(f, kingFile) == 1)
                t.add(Us, ROW_QUEENS, QUEEN_OPEN_NEXT_TO_KING);
        }
        addTropism<Us>(t, QUEEN, sq, enemyKing);
    }
    addTropism<Us>(t, KING, board.kingSquare(Us), enemyKing);
}

template <Color Us, bool Trace>
void evaluateKingSafety(const Board& board, const FileInfo& files, Terms<Trace>& t) {
    const Square king = board.kingSquare(Us);
    const u32 pattern = kingShieldPattern(board.pieces(PAWN, Us), king, Us);
    t.add(Us, ROW_KING_SAFETY, KING_SHIELD_MISSING, kingShieldTable[pattern] & 3);

    const int heavy = popCount(board.pieces(ROOK, ~Us) | board.pieces(QUEEN, ~Us));
    const int v = heavy < 2 ? heavy : 2;
    const int f = fileOf(king);
    if (files.open & (1u << f)) t.add(Us, ROW_KING_SAFETY, KING_OPEN_FILE, v);
    if (f > 0 && (files.open & (1u << (f - 1))))
        t.add(Us, ROW_KING_SAFETY, KING_OPEN_NEIGHBOUR_FILE, v);
    if (f < 7 && (files.open & (1u << (f + 1))))
        t.add(Us, ROW_KING_SAFETY, KING_OPEN_NEIGHBOUR_FILE, v);
}

// ---------------------------------------------------------------------------
// Positions without pawns: material, tempo and the mop-up terms that drive
// the weaker king to the rim (and, against bishop and knight, to a corner the
// bishop covers).

template <bool Trace>
Score evaluatePawnless(const Board& board, const MaterialInfo& info, int scale, EvalBreakdown* bd) {
    const int phase = int(info.evalPhase);
    const Color stm = Color(board.sideToMove);
    const int material = taper(info.materialMg, info.materialEg, phase);
    int slot[2] = {material, 0};
    slot[stm] += phase;
    note<Trace>(bd, stm, ROW_SIDE_TO_MOVE, TEMPO, 0);

    const Color weak = material <= 190 ? WHITE : BLACK, strong = ~weak;
    const Square weakKing = board.kingSquare(weak);
    const int edge = kingEdgeTable[weakKing] * MOPUP_KING_EDGE;
    slot[weak] += edge;
    note<Trace>(bd, weak, ROW_KING_EDGE, edge, edge);

    const int closeness =
        (7 - chebyshevDistance(board.kingSquare(WHITE), board.kingSquare(BLACK))) *
        MOPUP_KING_DISTANCE;
    slot[strong] += closeness;
    note<Trace>(bd, strong, ROW_KING_DISTANCE, closeness, closeness);

    if (popCount(board.occupied()) == 4) {
        const auto hasBishopAndKnight = [&](Color c) {
            return signatureCount(info.signature[c], SIG_BISHOPS) == 1 &&
                   signatureCount(info.signature[c], SIG_KNIGHTS) == 1;
        };
        const Bitboard bishop = board.pieces(BISHOP, strong);
        if ((hasBishopAndKnight(WHITE) || hasBishopAndKnight(BLACK)) && bishop) {
            // The corners the bishop cannot cover are the weaker king's refuge.
            const bool dark = isDarkSquare(lowestSquare(bishop));
            const int c1 = dark ? 7 : 0, c2 = dark ? 56 : 63;  // h1, a8 or a1, h8
            const int d1 = chebyshevDistance(weakKing, c1), d2 = chebyshevDistance(weakKing, c2);
            const int corner = (7 - (d1 < d2 ? d1 : d2)) * MOPUP_BN_CORNER;
            slot[weak] += corner;
            note<Trace>(bd, weak, ROW_BN_CORNER, corner, corner);
        }
    }
    return (slot[stm] - slot[~stm]) * scale / 100;
}

// ---------------------------------------------------------------------------

// The pawn structure and file masks: from the pawn hash when it holds the
// key, else computed and stored (always replacing).
template <bool Trace>
PawnHashData probePawnStructure(const Board& board, PawnHashTable* pawnHash, PawnHashEntry* entry,
                                HashKey pawnKey, EvalBreakdown* bd) {
    PawnHashData pawns;
    if (entry && entry->load(pawnKey, pawns)) {
        pawnHash->countHit();
        if constexpr (Trace) bd->add(WHITE, ROW_PAWN_STRUCTURE, pawns.mg, pawns.eg);
        return pawns;
    }
    PawnStructureTrace sides;
    pawns = computePawnStructure(board, Trace ? &sides : nullptr);
    if (entry) entry->store(pawnKey, pawns);
    if constexpr (Trace) {
        bd->add(WHITE, ROW_WEAK_PAWNS, sides.mg[WHITE], sides.eg[WHITE]);
        bd->add(BLACK, ROW_WEAK_PAWNS, sides.mg[BLACK], sides.eg[BLACK]);
    }
    return pawns;
}

template <bool Trace>
Score evaluateImpl(const Board& board, PawnHashTable* pawnHash, Score alpha, Score beta,
                   EvalBreakdown* bd) {
    assert(board.sideToMove == WHITE || board.sideToMove == BLACK);
    assert(board.pieces(KING, WHITE) && board.pieces(KING, BLACK));
    assert(!(board.pieces(PAWN) & 0xFF000000000000FFULL));

    // The pawn-hash entry is usually a cache miss: start loading it while the
    // material and the base score are computed.
    const HashKey pawnKey = board.current().pawnKey;
    PawnHashEntry* entry = pawnHash ? &pawnHash->entryFor(pawnKey) : nullptr;
    if (entry) __builtin_prefetch(entry);

    MaterialInfo info;
    evaluateMaterial(info, board);
    const int scale = computeScaleFactor(board, info);
    if constexpr (Trace) {
        bd->phase = info.evalPhase;
        bd->scaleFactor = scale;
    }
    if (scale == 0) return 0;
    if (!board.pieces(PAWN)) return evaluatePawnless<Trace>(board, info, scale, bd);

    const int phase = int(info.evalPhase);
    const Color stm = Color(board.sideToMove);
    const ScorePair* pst = board.pstSums;
    int slot[2] = {
        taper(info.materialMg, info.materialEg, phase) + taper(pst[WHITE].mg, pst[WHITE].eg, phase),
        taper(pst[BLACK].mg, pst[BLACK].eg, phase)};
    slot[stm] += taper(TEMPO, 0, phase);
    const int base = slot[stm] - slot[~stm];
    if constexpr (Trace) {
        bd->add(WHITE, ROW_MATERIAL, info.materialMg, info.materialEg);
        bd->add(WHITE, ROW_PST, pst[WHITE].mg, pst[WHITE].eg);
        bd->add(BLACK, ROW_PST, pst[BLACK].mg, pst[BLACK].eg);
        bd->add(stm, ROW_SIDE_TO_MOVE, TEMPO, 0);
    } else if (scale == 100 && info.canWin[WHITE] && info.canWin[BLACK]) {
        // The positional part below is clamped to LAZY_MARGIN either way.
        if (alpha > base + LAZY_MARGIN - 1) return base + LAZY_MARGIN;
        if (beta < base - LAZY_MARGIN + 1) return base - LAZY_MARGIN;
    }

    const PawnHashData pawns = probePawnStructure<Trace>(board, pawnHash, entry, pawnKey, bd);
    const FileInfo files{pawns.openFiles, pawns.halfOpenFiles, popCount(pawns.openFiles),
                         popCount(pawns.halfOpenFiles)};
    assert(files.openCount + files.halfOpenCount <= 8);

    Terms<Trace> t(bd);
    evaluatePassedPawns<WHITE>(board, info, t);
    evaluatePassedPawns<BLACK>(board, info, t);
    evaluatePieces<WHITE>(board, files, t);
    evaluatePieces<BLACK>(board, files, t);
    evaluateKingSafety<WHITE>(board, files, t);
    evaluateKingSafety<BLACK>(board, files, t);

    const int white = taper(t.mg[WHITE], t.eg[WHITE], phase);
    const int black = taper(t.mg[BLACK], t.eg[BLACK], phase);
    const int pawnScore = taper(pawns.mg, pawns.eg, phase);
    int delta = stm == WHITE ? white + pawnScore - black : black - white - pawnScore;
    if (delta > LAZY_MARGIN) delta = LAZY_MARGIN;
    if (delta < -LAZY_MARGIN) delta = -LAZY_MARGIN;
    int score = base + delta;
    if (!info.canWin[stm] && score > 0) score = 0;
    if (!info.canWin[~stm] && score < 0) score = 0;
    return score * scale / 100;
}

// ---------------------------------------------------------------------------
// Scale-factor patterns of positions with exactly two men besides the kings.

struct Side {
    u32 sig;
    u32 count(SignatureField f) const { return signatureCount(sig, f); }
    bool only(SignatureField f, u32 n) const { return count(SIG_ALL) == n && count(f) == n; }
    bool bare() const { return count(SIG_ALL) == 0; }
};

// King, bishop and pawn against king: a rook pawn with the bishop of the
// wrong colour draws when the defending king holds the promotion corner.
int wrongBishopFactor(const Board& board, Color strong) {
    const int pawn = lowestSquare(board.pieces(PAWN, strong));
    const int bishop = lowestSquare(board.pieces(BISHOP, strong));
    const int file = fileOf(pawn);
    const int promotion = makeSquare(file, strong == WHITE ? 7 : 0);
    if ((file != 0 && file != 7) || isDarkSquare(bishop) == isDarkSquare(promotion)) return 100;
    return chebyshevDistance(board.kingSquare(~strong), promotion) <= 1 ? 0 : 50;
}

// King and queen against king and pawn on its 7th rank on a bishop or rook
// file, seen with the pawn on a2 or c2 moving down the board.
int queenVersusPawnFactor(const Board& board, Color pawnSide) {
    int pawn = lowestSquare(board.pieces(PAWN, pawnSide));
    int king = board.kingSquare(pawnSide);
    if (pawnSide == WHITE) pawn ^= 56, king ^= 56;
    if (fileOf(pawn) >= 4) pawn ^= 7, king ^= 7;
    if (pawn == 8) return (king == 0 || king == 1 || king == 9) ? 25 : 100;  // a2
    if (pawn == 10)
        return (king == 1 || king == 2 || king == 3 || king == 9 || king == 11) ? 25 : 100;  // c2
    return 100;
}

int patternFactor(const Board& board, const MaterialInfo& info) {
    const Side w{info.signature[WHITE]}, b{info.signature[BLACK]};
    if (w.count(SIG_ALL) + b.count(SIG_ALL) > 2 || popCount(board.occupied()) != 4) return 100;
    const auto versus = [&](auto&& strong, auto&& weak) {
        return (strong(w) && weak(b)) || (strong(b) && weak(w));
    };
    const auto rook = [](const Side& s) { return s.only(SIG_ROOKS, 1); };
    const auto bishop = [](const Side& s) { return s.only(SIG_BISHOPS, 1); };
    const auto knight = [](const Side& s) { return s.only(SIG_KNIGHTS, 1); };
    const auto bare = [](const Side& s) { return s.bare(); };
    if (versus(rook, bishop)) return 25;
    if (versus(rook, knight)) return 12;
    if (versus([](const Side& s) { return s.only(SIG_KNIGHTS, 2); }, bare)) return 0;
    const auto bishopAndPawn = [](const Side& s) {
        return s.count(SIG_ALL) == 2 && s.count(SIG_BISHOPS) == 1 && s.count(SIG_PAWNS) == 1;
    };
    if (versus(bishopAndPawn, bare))
        return wrongBishopFactor(board, bishopAndPawn(w) ? WHITE : BLACK);
    const auto minor = [](const Side& s) { return s.only(SIG_MINORS, 1); };
    if (minor(w) && minor(b)) return 0;
    const auto queen = [](const Side& s) { return s.only(SIG_QUEENS, 1); };
    const auto pawn = [](const Side& s) { return s.only(SIG_PAWNS, 1); };
    if (versus(queen, pawn)) {
        const Color pawnSide = pawn(w) ? WHITE : BLACK;
        const int sq = lowestSquare(board.pieces(PAWN, pawnSide));
        const int file = fileOf(sq);
        const bool onSeventh = rankOf(sq) == (pawnSide == WHITE ? 6 : 1);
        if (!onSeventh || !(file == 0 || file == 2 || file == 5 || file == 7)) return 100;
        return queenVersusPawnFactor(board, pawnSide);
    }
    return 100;
}

}  // namespace

// ---------------------------------------------------------------------------

void evaluateMaterial(MaterialInfo& info, const Board& board) {
    int mg = 0, eg = 0, phase = 0;
    for (int c = 0; c < 2; ++c) {
        const Color side = Color(c);
        int n[5];
        for (int k = 0; k < 5; ++k) n[k] = popCount(board.pieces(PieceKind(PAWN + k), side));
        const int pawns = n[0], knights = n[1], bishops = n[2], rooks = n[3], queens = n[4];
        int sideMg = 0, sideEg = 0;
        for (int k = 0; k < 5; ++k)
            sideMg += MATERIAL[k].mg * n[k], sideEg += MATERIAL[k].eg * n[k];
        if (bishops > 1) sideMg += BISHOP_PAIR.mg, sideEg += BISHOP_PAIR.eg;
        sideMg += knights * (pawns - 5) * KNIGHT_PAWN_ADJUST.mg +
                  rooks * (pawns - 5) * ROOK_PAWN_ADJUST.mg;
        sideEg += knights * (pawns - 5) * KNIGHT_PAWN_ADJUST.eg +
                  rooks * (pawns - 5) * ROOK_PAWN_ADJUST.eg;
        mg += c == WHITE ? sideMg : -sideMg;
        eg += c == WHITE ? sideEg : -sideEg;
        phase += knights + bishops + 2 * rooks + 4 * queens;

        // Nibbles hold at most 15; a side has at most 15 men besides its king.
        const auto nibble = [](int count, int field) {
            return u32(count < 15 ? count : 15) << (4 * field);
        };
        const u32 sig = nibble(pawns, SIG_PAWNS) | nibble(knights, SIG_KNIGHTS) |
                        nibble(bishops, SIG_BISHOPS) | nibble(rooks, SIG_ROOKS) |
                        nibble(queens, SIG_QUEENS) | nibble(knights + bishops, SIG_MINORS) |
                        nibble(rooks + queens, SIG_MAJORS) |
                        nibble(pawns + knights + bishops + rooks + queens, SIG_ALL);
        info.signature[c] = sig;

        const int minors = knights + bishops;
        info.canWin[c] = (pawns || rooks || queens) ? 1
                         : minors > 2               ? 1
                         : minors < 2               ? 0
                                                    : bishops > 0;
    }
    info.evalPhase = u32(phase < 24 ? phase : 24);
    info.materialMg = i16(mg);
    info.materialEg = i16(eg);
}

int computeScaleFactor(const Board& board, const MaterialInfo& info) {
    const int h = board.halfMoveClock < 100 ? board.halfMoveClock : 100;
    const int fifty = (10000 - h * h) / 100;
    int c = patternFactor(board, info);
    if (!info.canWin[WHITE] && !info.canWin[BLACK]) c = 0;
    return c < fifty ? c : fifty;
}

u32 kingShieldPattern(Bitboard ownPawns, Square kingSquare, Color colour) {
    const int file = fileOf(kingSquare), rank = rankOf(kingSquare);
    const int step = colour == WHITE ? 1 : -1;
    const int r1 = rank + step, r2 = rank + 2 * step;
    // Pawns stand on ranks 2..7 only: a shield rank beyond them counts as full.
    const auto pawnRank = [](int r) { return r >= 1 && r <= 6; };
    if (!pawnRank(r1)) return 63;
    u32 pattern = 0;
    for (int i = 0; i < 3; ++i) {
        const int f = file - 1 + i;
        const bool off = f < 0 || f > 7;
        if (off || (ownPawns & squareBit(makeSquare(f, r1)))) pattern |= 1u << i;
        if (off || !pawnRank(r2) || (ownPawns & squareBit(makeSquare(f, r2)))) pattern |= 8u << i;
    }
    return pattern;
}

Score evaluate(Board& board, PawnHashTable* pawnHash, Score alpha, Score beta) {
    return evaluateImpl<false>(board, pawnHash, alpha, beta, nullptr);
}

Score evaluateWithBreakdown(Board& board, PawnHashTable* pawnHash, EvalBreakdown& out) {
    std::memset(&out, 0, sizeof out);
    out.total = evaluateImpl<true>(board, pawnHash, -MATE_SCORE, MATE_SCORE, &out);
    return out.total;
}
