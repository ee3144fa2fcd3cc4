// The staged move picker, move ordering and the small move tests of the search.
#include "board/move_picker.h"

#include "board/piece_square.h"

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

// One row of stage codes per picker kind, each ended by STAGE_END. A board
// without an evasion generator runs the full-width row in check.
constexpr i8 pickerStages[4][8] = {
    {STAGE_ALL_MOVES, STAGE_END},
    {Board::HAS_EVASION_GENERATOR ? STAGE_PV_IN_CHECK : STAGE_PV,
     Board::HAS_EVASION_GENERATOR ? STAGE_HASH_FULL : STAGE_HASH_QUICK,
     Board::HAS_EVASION_GENERATOR ? STAGE_EVASIONS : STAGE_ALL_MOVES, STAGE_END},
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
        const i32 attacker = pieceClassByKind[b.kindAt(moveFrom(m))];
        const i32 victim = pieceClassByKind[b.kindAt(moveTo(m))];
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

// The list of a move stage: the evasions where the board has an evasion
// generator and the stage asks for them, else every legal move. (A template on
// the board class, so that the branch a board lacks is never compiled.)
template <Color Us, class B>
void generateStage(B& board, bool evasions, const CheckInfo& info, MoveList& list) {
    if constexpr (B::HAS_EVASION_GENERATOR) {
        if (evasions) {
            board.template genEvasions<Us>(info, list);
            return;
        }
    }
    board.template genAllMoves<Us>(info, list);
}

bool isKillerOf(Move m, Move killer) {
    return killer != NO_MOVE && moveKind(killer) != MOVE_PROMOTION &&
           moveFrom(m) == moveFrom(killer) && moveTo(m) == moveTo(killer);
}

}  // namespace

// ---------------------------------------------------------------------------
// Set-up.

namespace {

// Everything but the check information.
void resetPicker(MovePicker& p, i32 pickerKind, Board* b, Move pv) {
    // Only the count matters: slots past it are never read.
    p.moveList.count = 0;
    p.kind = pickerKind;
    p.board = b;
    p.pvMove = pv;
    p.hashMove = NO_MOVE;
    p.nextIndex = 0;
    p.stageIndex = 0;
    p.stageStarted = 0;
}

}  // namespace

void MovePicker::init(i32 pickerKind, Board* b, const CheckerList& givenCheckers, Move pv) {
    resetPicker(*this, pickerKind, b, pv);
    CheckInfo info{};
    if (b->sideToMove == WHITE)
        b->template computePins<WHITE>(info);
    else
        b->template computePins<BLACK>(info);
    pinnedOrthogonal = info.pinnedOrthogonal;
    pinnedDiagonal = info.pinnedDiagonal;
    checkers = givenCheckers;
}

void MovePicker::initLegal(Board* b, Move pv) {
    resetPicker(*this, PICK_ALL_LEGAL, b, pv);
    CheckInfo info{};
    if (b->sideToMove == WHITE)
        b->computeCheckInfo<WHITE>(info);
    else
        b->computeCheckInfo<BLACK>(info);
    pinnedOrthogonal = info.pinnedOrthogonal;
    pinnedDiagonal = info.pinnedDiagonal;
    checkers = info.checkers;
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
                    if (board->template isMovePseudoLegal<Us>(hashMove) &&
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
                    generateStage<Us>(*board, pickerStages[kind][stageIndex] == STAGE_EVASIONS,
                                      info, moveList);
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
        const u8 attacker = b.kindAt(from);
        const u8 victim = b.kindAt(to);
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
            value += b.template isLosingCapture<Us>(m, victimValue) ? -50 : 1000;
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

bool isMovePseudoLegal(const Board& b, Move m) {
    if (b.sideToMove == WHITE) return b.isMovePseudoLegal<WHITE>(m);
    if (b.sideToMove == BLACK) return b.isMovePseudoLegal<BLACK>(m);
    return false;
}

// ---------------------------------------------------------------------------
// Killers and tactical moves.

void storeKiller(Board& b, Move m) {
    if (b.kindAt(moveTo(m)) != EMPTY || (m & (1u << 12))) return;
    HistoryRecord& here = b.history[b.historyIndex];
    here.killer2 = here.killer1;
    here.killer1 = m;
}

bool isTactical(const Board& b, Move m) {
    if (b.kindAt(moveTo(m)) != EMPTY) return true;
    if (moveKind(m) == MOVE_EN_PASSANT) return true;
    return moveKind(m) == MOVE_PROMOTION && promotionKind(m) == QUEEN;
}

// ---------------------------------------------------------------------------
// The twins.

#define TALUN_INSTANTIATE_PICKER(C)             \
    template Move MovePicker::next<C, true>();  \
    template Move MovePicker::next<C, false>(); \
    template void scoreMoves<C>(const Board&, MovePicker&);

TALUN_INSTANTIATE_PICKER(WHITE)
TALUN_INSTANTIATE_PICKER(BLACK)
