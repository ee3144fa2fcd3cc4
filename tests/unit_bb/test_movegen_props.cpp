// Property tests over random walks: make and unmake of every kind against
// recounts and byte snapshots, legality tests against each other, evasions
// against all moves, and the given checks against the attack test.
#include <random>

#include "board/move_picker.h"
#include "perft_test_util.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes snapshot(const Board& b) {
    Bytes out(sizeof(Board));
    std::memcpy(out.data(), static_cast<const void*>(&b), sizeof(Board));
    return out;
}

// Byte offset of a member inside the board object.
size_t offsetIn(const Board& b, const void* member) {
    return size_t(static_cast<const unsigned char*>(member) -
                  reinterpret_cast<const unsigned char*>(&b));
}

// Equal outside [skipFrom, skipFrom + skipSize).
bool sameBytesExcept(const Bytes& a, const Bytes& b, size_t skipFrom, size_t skipSize) {
    for (size_t i = 0; i < a.size(); ++i)
        if ((i < skipFrom || i >= skipFrom + skipSize) && a[i] != b[i]) {
            ADD_FAILURE() << "first differing byte at offset " << i;
            return false;
        }
    return true;
}

void expectRecounts(const Board& b, const std::string& where) {
    EXPECT_EQ(b.current().key, b.computeFullKey()) << where;
    EXPECT_EQ(b.current().pawnKey, b.computePawnHashKey()) << where;
    i32 sums[2][2] = {};
    for (int sq = 0; sq < 64; ++sq) {
        const u8 kind = b.pieceKinds[sq];
        if (!kind) continue;
        const u8 color = b.pieceColors[sq];
        sums[color][0] += pieceSquareTable[color][kind - 1][sq].mg;
        sums[color][1] += pieceSquareTable[color][kind - 1][sq].eg;
    }
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(b.pstSums[c].mg, i16(sums[c][0])) << where;
        EXPECT_EQ(b.pstSums[c].eg, i16(sums[c][1])) << where;
    }
}

template <Color Us>
void checkMove(Board& b, Move m, const CheckInfo& info, const std::string& where) {
    const std::string at = where + " " + moveText(m);
    EXPECT_TRUE(isMovePseudoLegal<Us>(b, m)) << at;
    EXPECT_TRUE(b.template isLegalMoveFull<Us>(m)) << at;
    EXPECT_TRUE(b.template isLegalMove<Us>(m, info)) << at;

    CheckerList given{};
    b.template computeGivenChecks<Us>(m, given);

    // Perft starts from the position's key on its stack (the walk's full makes
    // do not keep that stack).
    b.perftKeys[b.perftKeyCount] = b.current().key;
    const Bytes before = snapshot(b);
    const u32 n = b.historyIndex;
    UndoRecord undo = clearedUndo();
    b.template makeMove<Us>(m, undo);
    expectRecounts(b, at);
    const Bitboard theirKing = b.pieces(KING, ~Us);
    CheckerList attackers{};
    const bool check =
        theirKing && b.template isAttackedBy<Us>(Square(lowestSquare(theirKing)), attackers);
    EXPECT_EQ(given.count != 0, check) << at;
    if (given.count == 1 && attackers.count == 1) {
        EXPECT_EQ(given.squares[0], attackers.squares[0]) << at;
    }
    b.template unmakeMove<Us>(m, undo);
    EXPECT_TRUE(
        sameBytesExcept(before, snapshot(b), offsetIn(b, &b.history[n + 1]), sizeof(HistoryRecord)))
        << "full make " << at;

    // The full make left its record above the current one: compare from here on.
    const Bytes afterFull = snapshot(b);
    const u32 top = b.perftKeyCount;
    undo = clearedUndo();
    b.template makeMovePerft<Us>(m, undo);
    EXPECT_EQ(b.perftKeys[b.perftKeyCount], b.computeFullKey()) << at;
    b.template unmakeMovePerft<Us>(m, undo);
    EXPECT_TRUE(sameBytesExcept(afterFull, snapshot(b), offsetIn(b, &b.perftKeys[top + 1]),
                                sizeof(HashKey)))
        << "perft make " << at;

    const Bytes afterPerft = snapshot(b);
    undo = clearedUndo();
    b.template makeMoveBare<Us>(m, undo);
    b.template unmakeMoveBare<Us>(m, undo);
    EXPECT_TRUE(sameBytesExcept(afterPerft, snapshot(b), 0, 0)) << "bare make " << at;
}

template <Color Us>
void checkPosition(Board& b, std::mt19937& rng, const std::string& where) {
    CheckInfo info{};
    b.template computeCheckInfo<Us>(info);
    MoveList all = emptyList();
    b.template genAllMoves<Us>(info, all);
    const std::vector<Move> legal = moveWords(all);
    if (info.checkers.count != 0) {
        MoveList evasions = emptyList();
        b.template genEvasions<Us>(info, evasions);
        EXPECT_EQ(sorted(moveWords(evasions)), sorted(legal)) << where;
    }
    // Perft's bulk count agrees with the list.
    EXPECT_EQ(b.template countLegalMoves<Us>(info), all.count) << where;
    // The unordered picker hands out the same list.
    MovePicker p;
    p.initLegal(&b, NO_MOVE);
    std::vector<Move> picked;
    while (Move m = p.template next<Us, false>()) picked.push_back(m);
    EXPECT_EQ(picked, legal) << where;

    for (Move m : legal) checkMove<Us>(b, m, info, where);

    // Random words: the quick and the full legality test agree on every
    // stored move that passes the pseudo-legality test.
    for (int i = 0; i < 300; ++i) {
        const Move m = Move(rng() & 0xFFFF);
        if (!isMovePseudoLegal<Us>(b, m)) continue;
        EXPECT_EQ(b.template isLegalMove<Us>(m, info), b.template isLegalMoveFull<Us>(m))
            << where << " " << m;
    }
}

// Walks `plies` random moves from `fen` with the full make, checking every
// position on the way.
void randomWalk(const std::string& fen, int plies, std::mt19937& rng) {
    auto b = boardFromFen(fen);
    std::vector<std::pair<Move, UndoRecord>> made;
    for (int ply = 0; ply < plies; ++ply) {
        const std::string where = fen + " ply " + std::to_string(ply);
        if (b->sideToMove == WHITE)
            checkPosition<WHITE>(*b, rng, where);
        else
            checkPosition<BLACK>(*b, rng, where);
        if (::testing::Test::HasFailure()) return;
        const MoveList legal = legalList(*b);
        if (legal.count == 0 || b->historyIndex + 2 >= HISTORY_SIZE) break;
        const Move m = legal.move(u32(rng() % legal.count));
        UndoRecord undo{};
        b->makeMove(m, undo);
        made.emplace_back(m, undo);
    }
    // Back to the start: the position is the one set up.
    auto fresh = boardFromFen(fen);
    while (!made.empty()) {
        b->unmakeMove(made.back().first, made.back().second);
        made.pop_back();
    }
    EXPECT_EQ(0, std::memcmp(b->bitboards, fresh->bitboards, sizeof b->bitboards)) << fen;
    EXPECT_EQ(b->current().key, fresh->current().key) << fen;
    EXPECT_EQ(b->castlingRights, fresh->castlingRights) << fen;
}

std::vector<std::string> walkStarts() {
    std::vector<std::string> fens;
    for (const PerftCase& c : readPerftFile("epd/perftsuite.epd")) fens.push_back(c.fen);
    const std::vector<PerftCase> ferdy = readPerftFile("epd/perft-ferdy-double-checks.epd");
    for (size_t i = 0; i < ferdy.size(); i += 6) fens.push_back(ferdy[i].fen);
    return fens;
}

TEST(MoveGenProperties, RandomWalksKeepEveryInvariant) {
    initEvaluationTables();
    std::mt19937 rng(20261208);
    const std::vector<std::string> fens = walkStarts();
    ASSERT_GT(fens.size(), 100u);
    for (const std::string& fen : fens) {
        randomWalk(fen, 16, rng);
        if (HasFailure()) break;
    }
}

TEST(MoveGenProperties, SlowLongRandomWalks) {
    initEvaluationTables();
    std::mt19937 rng(4242);
    for (const std::string& fen : walkStarts()) {
        for (int walk = 0; walk < 2; ++walk) randomWalk(fen, 80, rng);
        if (HasFailure()) break;
    }
}

}  // namespace
