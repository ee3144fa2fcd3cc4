// The staged move picker, move ordering and the small move tests of the search.
#include "board/move_picker.h"

#include "boardbb/movegen_detail.h"
#include "eval/eval_tables.h"

using namespace movegen;

const i32 pieceClassByKind[7] = {0, 1, 2, 2, 3, 4, 5};
const i32 exchangeClassByKind[7] = {0, 1, 3, 3, 4, 5, 0};
const i32 exchangeValueByKind[7] = {0, 125, 400, 400, 600, 1125, 0};

namespace {

enum StageCode : i8 {
    STAGE_ALL_MOVES = 0,
    STAGE_PV = 1,
    STAGE_HASH_QUICK = 2,
    STAGE_EVASIONS = 3,
    STAGE_PV_IN_CHECK = 4,
    STAGE_HASH_FULL = 5,
    STAGE_QS_CAPTURES = 10,
    STAGE_END = 11,
};

// One row of stage codes per picker kind, each ended by STAGE_END.
constexpr i8 pickerStages[4][8] = {
    {STAGE_ALL_MOVES, STAGE_END},
#ifdef TALUN_BOARD_0X88
    // The 0x88 board has no evasion generator: in check it runs the full-width row.
    {STAGE_PV, STAGE_HASH_QUICK, STAGE_ALL_MOVES, STAGE_END},
#else
    {STAGE_PV_IN_CHECK, STAGE_HASH_FULL, STAGE_EVASIONS, STAGE_END},
#endif
    {STAGE_PV, STAGE_HASH_QUICK, STAGE_ALL_MOVES, STAGE_END},
    {STAGE_PV, STAGE_QS_CAPTURES, STAGE_END},
};

// Selection: bring the best remaining slot (the earliest among equals) to
// nextIndex and hand it out.
inline Move selectBest(MovePicker& p) {
    MoveList& list = p.moveList;
    const u32 i = p.nextIndex;
    for (u32 j = i + 1; j < list.count; ++j) {
        if (list.value(j) > list.value(i)) {
            const u32 t = list.slots[i];
            list.slots[i] = list.slots[j];
            list.slots[j] = t;
        }
    }
    p.nextIndex = i + 1;
    return list.move(i);
}

template <Color Us>
void scoreQsCaptures(const Board& b, MoveList& list) {
    for (u32 i = 0; i < list.count; ++i) {
        const Move m = list.move(i);
        const i32 attacker = pieceClassByKind[b.pieceKinds[moveFrom(m)]];
        const i32 victim = pieceClassByKind[b.pieceKinds[moveTo(m)]];
        i32 value;
        if (moveKind(m) == MOVE_EN_PASSANT)
            value = 64;
        else if (moveKind(m) == MOVE_PROMOTION)
            value = (pieceClassByKind[promotionKind(m)] + 8 * victim) * 8;
        else
            value = 64 * victim;
        list.setValue(i, value - attacker);
    }
}

bool isKillerOf(Move m, Move killer) {
    return killer != NO_MOVE && moveKind(killer) != MOVE_PROMOTION &&
           moveFrom(m) == moveFrom(killer) && moveTo(m) == moveTo(killer);
}

}  // namespace

// ---------------------------------------------------------------------------
// Set-up.

void MovePicker::init(i32 pickerKind, Board* b, const CheckerList& givenCheckers, Move pv) {
    // Only the count matters: slots past it are never read.
    moveList.count = 0;
    kind = pickerKind;
    board = b;
    pvMove = pv;
    hashMove = NO_MOVE;
    nextIndex = 0;
    stageIndex = 0;
    stageStarted = 0;
    CheckInfo info{};
    if (b->sideToMove == WHITE)
        b->computePins<WHITE>(info);
    else
        b->computePins<BLACK>(info);
    pinnedOrthogonal = info.pinnedOrthogonal;
    pinnedDiagonal = info.pinnedDiagonal;
    checkers = givenCheckers;
}

void MovePicker::initLegal(Board* b, Move pv) {
    CheckInfo info{};
    if (b->sideToMove == WHITE)
        b->computeCheckInfo<WHITE>(info);
    else
        b->computeCheckInfo<BLACK>(info);
    init(PICK_ALL_LEGAL, b, info.checkers, pv);
}

// ---------------------------------------------------------------------------
// Stages.

template <Color Us, bool Ordered>
Move MovePicker::next() {
    for (;;) {
        Move m = NO_MOVE;
        switch (pickerStages[kind][stageIndex]) {
            case STAGE_END:
                return NO_MOVE;
            case STAGE_PV:
            case STAGE_PV_IN_CHECK:
                if (!stageStarted && pvMove != NO_MOVE) {
                    stageStarted = 1;
                    return pvMove;
                }
                break;
            case STAGE_HASH_QUICK:
            case STAGE_HASH_FULL:
                if (!stageStarted && hashMove != NO_MOVE && !isSameMove(hashMove, pvMove)) {
                    const bool quick = pickerStages[kind][stageIndex] == STAGE_HASH_QUICK;
                    if (isMovePseudoLegal<Us>(*board, hashMove) &&
                        (quick ? board->isLegalMove<Us>(hashMove, checkInfo())
                               : board->isLegalMoveFull<Us>(hashMove))) {
                        stageStarted = 1;
                        return hashMove;
                    }
                    printHashCollision(*board, hashMove);
                    // Not handed out, so the list stage must not skip its squares.
                    hashMove = NO_MOVE;
                }
                break;
            case STAGE_ALL_MOVES:
            case STAGE_EVASIONS:
                if (!stageStarted) {
                    const CheckInfo info = checkInfo();
                    if (pickerStages[kind][stageIndex] == STAGE_ALL_MOVES)
                        board->genAllMoves<Us>(info, moveList);
                    else
                        board->genEvasions<Us>(info, moveList);
                    if constexpr (Ordered) scoreMoves<Us>(*board, *this);
                    stageStarted = 1;
                }
                if constexpr (Ordered) {
                    while (nextIndex < moveList.count) {
                        m = selectBest(*this);
                        if (!isSameMove(m, pvMove) && !isSameMove(m, hashMove)) return m;
                    }
                } else {
                    if (nextIndex < moveList.count) return moveList.move(nextIndex++);
                }
                break;
            case STAGE_QS_CAPTURES:
                if (!stageStarted) {
                    const CheckInfo info = checkInfo();
                    board->genEnPassant<Us>(info, moveList);
                    board->genQsCaptures<Us>(info, moveList);
                    scoreQsCaptures<Us>(*board, moveList);
                    stageStarted = 1;
                }
                while (nextIndex < moveList.count) {
                    m = selectBest(*this);
                    if (!isSameMove(m, pvMove)) return m;
                }
                break;
            default:
                return NO_MOVE;
        }
        stageStarted = 0;
        ++stageIndex;
    }
}

Move MovePicker::next() {
    return board->sideToMove == WHITE ? next<WHITE, true>() : next<BLACK, true>();
}

// ---------------------------------------------------------------------------
// Ordering.

template <Color Us>
void scoreMoves(const Board& b, MovePicker& picker) {
    MoveList& list = picker.moveList;
    const HistoryRecord& here = b.history[b.historyIndex];
    const HistoryRecord* twoAhead =
        b.historyIndex + 2 < HISTORY_SIZE ? &b.history[b.historyIndex + 2] : nullptr;
    for (u32 i = 0; i < list.count; ++i) {
        const Move m = list.move(i);
        const Square from = moveFrom(m), to = moveTo(m);
        const u8 attacker = b.pieceKinds[from];
        const u8 victim = b.pieceKinds[to];
        const MoveKind mk = moveKind(m);
        i32 value;
        if (mk == MOVE_EN_PASSANT) {
            value = 64 - pieceClassByKind[PAWN];
        } else {
            const u8 promoted = mk == MOVE_PROMOTION ? u8(promotionKind(m)) : u8(EMPTY);
            value = 64 * pieceClassByKind[victim] + 8 * pieceClassByKind[promoted] -
                    pieceClassByKind[attacker];
        }
        if (victim != EMPTY || mk == MOVE_PROMOTION || mk == MOVE_EN_PASSANT) {
            i32 victimValue = 0;
            value += isLosingCapture<Us>(b, m, victimValue) ? -50 : 1000;
        } else if (isKillerOf(m, here.killer1) || isKillerOf(m, here.killer2) ||
                   (twoAhead &&
                    (isKillerOf(m, twoAhead->killer1) || isKillerOf(m, twoAhead->killer2)))) {
            value += 150;
        } else {
            value += pieceSquareTable[Us][attacker - 1][to].mg -
                     pieceSquareTable[Us][attacker - 1][from].mg;
        }
        list.setValue(i, value);
    }
}

template <Color Us>
bool isLosingCapture(const Board& b, Move m, i32& victimValue) {
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            victimValue = exchangeValueByKind[promotionKind(m)] - exchangeValueByKind[PAWN];
            return false;
        case MOVE_EN_PASSANT:
            victimValue = exchangeValueByKind[PAWN];
            return false;
        case MOVE_CASTLING:
            return false;
        default:
            break;
    }
    const Square to = moveTo(m);
    const u8 victim = b.pieceKinds[to];
    const u8 attacker = b.pieceKinds[moveFrom(m)];
    victimValue = exchangeValueByKind[victim];
    const i32 victimClass = exchangeClassByKind[victim];
    if (victimClass >= exchangeClassByKind[attacker]) return false;

    const Bitboard them = b.pieces(~Us);
    if (pawnAttacks[Us][to] & b.bitboards[PAWN - 1] & them) return true;
    const bool minorGuards = ((attacker == ROOK || attacker == QUEEN) && victim == PAWN) ||
                             (attacker == QUEEN && victimClass <= 4);
    if (!minorGuards) return false;
    if (knightAttacks[to] & b.bitboards[KNIGHT - 1] & them) return true;
    const Bitboard occ = b.occupied();
    if (bishopAttacks(to, occ) & b.bitboards[BISHOP - 1] & them) return true;
    if (attacker == QUEEN && victimClass <= 3 &&
        (rookAttacks(to, occ) & b.bitboards[ROOK - 1] & them))
        return true;
    return false;
}

// ---------------------------------------------------------------------------
// Stored-move validation. A move from the transposition table may be from
// another position (a key collision or a torn entry), so every property that
// the make operations rely on is checked: the mover belongs to the side to
// move, it moves that way (sliders need a clear path), no king is captured,
// and the move word carries exactly the flags that generation would give it.

namespace {

template <Color Us>
bool isPossibleCastling(const Board& b, Move m) {
    const u32 variant = moveExtra(m);
    if (variant != (Us == WHITE ? 0u : 2u) && variant != (Us == WHITE ? 1u : 3u)) return false;
    const bool kingSide = (variant & 1) == 0;
    const Move word = Us == WHITE ? (kingSide ? CASTLE_WHITE_KING_SIDE : CASTLE_WHITE_QUEEN_SIDE)
                                  : (kingSide ? CASTLE_BLACK_KING_SIDE : CASTLE_BLACK_QUEEN_SIDE);
    if (m != word) return false;
    const Bitboard ownKing = b.pieces(KING, Us);
    if (!ownKing) return false;
    const Square kingSq = relativeSquare<Us>(4);
    if (ownKing & ~squareBit(kingSq)) return false;
    // The king must not stand in check.
    if (attackedByMen<~Us>(b, kingSq, b.occupied(), b.pieces(~Us))) return false;
    const u8 right = u8(1u << variant);
    if (kingSide)
        return castlingPossible<Us>(
            b, right, kingSq, relativeSquare<Us>(7),
            squareBit(relativeSquare<Us>(5)) | squareBit(relativeSquare<Us>(6)),
            relativeSquare<Us>(5), relativeSquare<Us>(6));
    return castlingPossible<Us>(b, right, kingSq, relativeSquare<Us>(0),
                                squareBit(relativeSquare<Us>(1)) |
                                    squareBit(relativeSquare<Us>(2)) |
                                    squareBit(relativeSquare<Us>(3)),
                                relativeSquare<Us>(3), relativeSquare<Us>(2));
}

template <Color Us>
bool isPossiblePawnMove(const Board& b, Move m) {
    const Square from = moveFrom(m), to = moveTo(m);
    const Bitboard toBit = squareBit(to);
    const Bitboard occ = b.occupied();
    const bool lastRank = (toBit & relativeRank<Us>(7)) != 0;
    const bool push = int(to) == int(from) + forward<Us>() && !(occ & toBit);
    const bool capture = (pawnAttacks[Us][from] & toBit & b.pieces(~Us)) != 0;
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            return lastRank && (push || capture);
        case MOVE_EN_PASSANT: {
            if (moveExtra(m) != 0 || to != b.epSquare || (occ & toBit) ||
                !(pawnAttacks[Us][from] & toBit))
                return false;
            const int victim = int(to) - forward<Us>();
            return b.pieceKinds[victim] == PAWN && b.pieceColors[victim] == ~Us;
        }
        case MOVE_NORMAL:
            if (moveExtra(m) == 1) {
                const int middle = int(from) + forward<Us>();
                return (squareBit(from) & relativeRank<Us>(1)) &&
                       int(to) == middle + forward<Us>() && !(occ & squareBit(middle)) &&
                       !(occ & toBit);
            }
            return moveExtra(m) == 0 && !lastRank && (push || capture);
        default:
            return false;
    }
}

}  // namespace

template <Color Us>
bool isMovePseudoLegal(const Board& b, Move m) {
    const Square from = moveFrom(m), to = moveTo(m);
    if (from == to || b.pieceColors[from] != Us || b.pieceColors[to] == Us) return false;
    if (b.pieceKinds[to] == KING) return false;
    if (b.sideToMove != Us) return false;
    const u8 mover = b.pieceKinds[from];
    if (moveKind(m) == MOVE_CASTLING) return mover == KING && isPossibleCastling<Us>(b, m);
    if (mover == PAWN) return isPossiblePawnMove<Us>(b, m);
    // Pieces make only normal moves without flags.
    if (moveKind(m) != MOVE_NORMAL || moveExtra(m) != 0) return false;
    const Bitboard occ = b.occupied();
    Bitboard reach = 0;
    switch (mover) {
        case KNIGHT:
            reach = knightAttacks[from];
            break;
        case BISHOP:
            reach = bishopAttacks(from, occ);
            break;
        case ROOK:
            reach = rookAttacks(from, occ);
            break;
        case QUEEN:
            reach = queenAttacks(from, occ);
            break;
        case KING:
            reach = kingAttacks[from];
            break;
        default:
            return false;
    }
    return (reach & squareBit(to)) != 0;
}

bool isMovePseudoLegal(const Board& b, Move m) {
    if (b.sideToMove == WHITE) return isMovePseudoLegal<WHITE>(b, m);
    if (b.sideToMove == BLACK) return isMovePseudoLegal<BLACK>(b, m);
    return false;
}

// ---------------------------------------------------------------------------
// Killers and tactical moves.

void storeKiller(Board& b, Move m) {
    if (b.pieceKinds[moveTo(m)] != EMPTY || (m & (1u << 12))) return;
    HistoryRecord& here = b.history[b.historyIndex];
    here.killer2 = here.killer1;
    here.killer1 = m;
}

bool isTactical(const Board& b, Move m) {
    if (b.pieceKinds[moveTo(m)] != EMPTY) return true;
    if (moveKind(m) == MOVE_EN_PASSANT) return true;
    return moveKind(m) == MOVE_PROMOTION && promotionKind(m) == QUEEN;
}

// ---------------------------------------------------------------------------
// The twins.

#define TALUN_INSTANTIATE_PICKER(C)                             \
    template Move MovePicker::next<C, true>();                  \
    template Move MovePicker::next<C, false>();                 \
    template void scoreMoves<C>(const Board&, MovePicker&);     \
    template bool isLosingCapture<C>(const Board&, Move, i32&); \
    template bool isMovePseudoLegal<C>(const Board&, Move);

TALUN_INSTANTIATE_PICKER(WHITE)
TALUN_INSTANTIATE_PICKER(BLACK)
