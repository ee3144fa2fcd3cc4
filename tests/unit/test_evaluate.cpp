#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capability_skip.h"
#include "epd_reader.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"

namespace {

const char* const START = START_FEN;
const char* const START_BLACK = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1";
// White: Ke1 Ra1 Pa2 Pb2; Black: Ke8 Rh8 Ph7 (isolated, so the pawn structure is not zero).
const char* const ROOKS = "4k2r/7p/8/8/8/8/PP6/R3K3 w - - 0 1";

// The same position with colours swapped and the board turned top to bottom.
std::string mirrorFen(const std::string& fen) {
    std::istringstream in(fen);
    std::string placement, side, castling, ep, rest;
    in >> placement >> side >> castling >> ep;
    std::getline(in, rest);
    std::string ranks[8];
    int r = 0;
    for (char c : placement) {
        if (c == '/')
            ++r;
        else
            ranks[r] += std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
    }
    std::string out;
    for (int i = 7; i >= 0; --i) out += ranks[i] + (i ? "/" : "");
    out += side == "w" ? " b " : " w ";
    std::string rights;
    for (char c : std::string("KQkq")) {
        const char twin = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
        if (castling.find(twin) != std::string::npos) rights += c;
    }
    out += rights.empty() ? "-" : rights;
    out += " ";
    out += ep == "-" ? ep : std::string{ep[0], ep[1] == '3' ? '6' : '3'};
    return out + rest;
}

class Eval : public ::testing::Test {
   protected:
    void SetUp() override {
        board = std::make_unique<Board>();
        board->resetBoard();
        pawnHash.reset(PawnHashTable::create(1));
        ASSERT_TRUE(pawnHash);
    }
    void set(const std::string& fen) { ASSERT_TRUE(board->setFEN(fen.c_str())) << fen; }
    Score eval(const std::string& fen) {
        set(fen);
        return evaluate(*board, pawnHash.get(), -MATE_SCORE, MATE_SCORE);
    }
    int scale(const std::string& fen) {
        set(fen);
        MaterialInfo info;
        evaluateMaterial(info, *board);
        return computeScaleFactor(*board, info);
    }
    EvalBreakdown breakdown(const std::string& fen) {
        set(fen);
        EvalBreakdown bd;
        evaluateWithBreakdown(*board, pawnHash.get(), bd);
        return bd;
    }
    std::unique_ptr<Board> board;
    std::unique_ptr<PawnHashTable> pawnHash;
};

void expectRow(const EvalBreakdown& bd, EvalRow row, int wmg, int weg, int bmg, int beg) {
    const EvalTermRow& r = bd.rows[row];
    EXPECT_EQ(r.whiteMg, wmg) << "row " << row;
    EXPECT_EQ(r.whiteEg, weg) << "row " << row;
    EXPECT_EQ(r.blackMg, bmg) << "row " << row;
    EXPECT_EQ(r.blackEg, beg) << "row " << row;
}

}  // namespace

// The start position is symmetric: only the tempo of the side to move counts.
TEST_F(Eval, StartPositionScoresTheTempo) {
    EXPECT_EQ(eval(START), 24);
    EXPECT_EQ(eval(START_BLACK), 24);

    const EvalBreakdown w = breakdown(START);
    EXPECT_EQ(w.total, 24);
    EXPECT_EQ(w.phase, 24u);
    EXPECT_EQ(w.scaleFactor, 100);
    expectRow(w, ROW_PST, 364, 148, 364, 148);
    expectRow(w, ROW_SIDE_TO_MOVE, 24, 0, 0, 0);
    const EvalBreakdown b = breakdown(START_BLACK);
    EXPECT_EQ(b.total, 24);  // side to move's view; printed as -24
    expectRow(b, ROW_SIDE_TO_MOVE, 0, 0, 24, 0);
}

// A hit shows the stored net pawn structure in White's columns instead of
// the per-side weak-pawn terms; the total does not change.
TEST_F(Eval, SecondBreakdownTakesThePawnHashHit) {
    // The expected values count slider mobility on the empty-board rays.
    TALUN_SKIP_UNLESS(!Board::MOBILITY_ALONG_RAYS);
    const EvalBreakdown first = breakdown(ROOKS);
    expectRow(first, ROW_WEAK_PAWNS, 0, 0, -31, -13);
    expectRow(first, ROW_PAWN_STRUCTURE, 0, 0, 0, 0);
    EXPECT_EQ(pawnHash->pawnHashHits.load(), 0u);
    const EvalBreakdown second = breakdown(ROOKS);
    expectRow(second, ROW_WEAK_PAWNS, 0, 0, 0, 0);
    expectRow(second, ROW_PAWN_STRUCTURE, 31, 13, 0, 0);
    EXPECT_EQ(pawnHash->pawnHashHits.load(), 1u);
    EXPECT_EQ(first.total, 175);
    EXPECT_EQ(second.total, 175);
}

// Totals worked out by hand, term by term, from the side to move's view.
TEST_F(Eval, HandDerivedTotals) {
    // The expected values count slider mobility on the empty-board rays.
    TALUN_SKIP_UNLESS(!Board::MOBILITY_ALONG_RAYS);
    // Passed d-pawn, phase 0: base 145, positional +71.
    EXPECT_EQ(eval("4k3/8/8/3P4/8/8/8/4K3 w - - 0 1"), 216);
    EXPECT_EQ(eval("4k3/8/8/3P4/8/8/8/4K3 b - - 0 1"), -216);
    EXPECT_EQ(eval(ROOKS), 175);
    // King, bishop and knight against king: material 787, tempo 2, kings 4,
    // the Black king sits in the corner the light bishop cannot cover (112).
    EXPECT_EQ(eval("7k/8/8/8/8/2KBN3/8/8 w - - 0 1"), 681);
    // King and rook against king and bishop: 167 scaled to 25%.
    EXPECT_EQ(eval("8/8/4k3/8/8/2b5/8/R3K3 w - - 0 1"), 41);
    EXPECT_EQ(eval("8/8/4k3/8/8/8/8/4K3 w - - 0 1"), 0);
}

TEST_F(Eval, BareKingsAndKnightAgainstKingAreZeroAtOnce) {
    const EvalBreakdown bd = breakdown("8/8/4k3/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(bd.phase, 0u);
    EXPECT_EQ(bd.scaleFactor, 0);
    EXPECT_EQ(bd.total, 0);
    for (const EvalTermRow& r : bd.rows)
        EXPECT_EQ(r.whiteMg | r.whiteEg | r.blackMg | r.blackEg, 0);
    EXPECT_EQ(scale("8/8/4k3/8/8/8/8/3NK3 w - - 0 1"), 0);
    EXPECT_EQ(eval("8/8/4k3/8/8/8/8/3NK3 b - - 0 1"), 0);
}

TEST_F(Eval, ScaleFactorPatterns) {
    EXPECT_EQ(scale("8/8/4k3/8/8/2b5/8/R3K3 w - - 0 1"), 25);  // KR v KB
    EXPECT_EQ(scale("8/8/4k3/8/8/2n5/8/R3K3 b - - 0 1"), 12);  // KR v KN
    EXPECT_EQ(scale("8/8/4k3/8/8/8/8/1N2KN2 w - - 0 1"), 0);   // KNN v K
    EXPECT_EQ(scale("8/8/4k3/8/8/8/8/1N2KN2 b - - 0 1"), 0);
    EXPECT_EQ(scale("8/1k6/8/8/P7/8/8/2B1K3 w - - 0 1"), 0);    // a-pawn, dark bishop, king near a8
    EXPECT_EQ(scale("8/8/8/3k4/P7/8/8/2B1K3 w - - 0 1"), 50);   // the same king further away
    EXPECT_EQ(scale("8/1k6/8/8/P7/8/8/3BK3 w - - 0 1"), 100);   // the right bishop
    EXPECT_EQ(scale("8/8/8/8/8/8/p7/1k2K2Q w - - 0 1"), 25);    // KQ v KP on the 7th, a-file
    EXPECT_EQ(scale("8/8/8/8/8/8/1p6/1k2K2Q w - - 0 1"), 100);  // b-file pawn
    // Seen from the pawn's side with the pawn on a2 or c2: White c7 with Kb8 (b1),
    // White f7 with Kg8 (b1), Black h2 with Kg1 (b1), White c7 with Kd7 (d2).
    EXPECT_EQ(scale("1K6/2P5/4k3/8/8/8/8/7q w - - 0 1"), 25);
    EXPECT_EQ(scale("6K1/5P2/3k4/8/8/8/8/q7 w - - 0 1"), 25);
    EXPECT_EQ(scale("Q7/8/8/8/8/3K4/7p/6k1 w - - 0 1"), 25);
    EXPECT_EQ(scale("8/2PK4/8/8/8/4k3/8/7q w - - 0 1"), 25);
    EXPECT_EQ(scale("8/2P5/8/1K6/8/4k3/8/7q w - - 0 1"), 100);
    EXPECT_EQ(scale("3k4/8/8/8/8/8/8/2B1KB2 w - - 0 1"), 100);  // KBB v K
    EXPECT_EQ(scale("3k4/8/3n4/8/8/8/8/2B1K3 w - - 0 1"), 0);   // KB v KN
    EXPECT_EQ(scale("3k4/8/3n4/8/8/8/8/2N1K3 w - - 0 1"), 0);   // KN v KN
    // The fifty-move fade: (10000 - h^2) / 100.
    EXPECT_EQ(scale("4k3/4p3/8/8/8/8/4P3/4K3 w - - 10 40"), 99);
    EXPECT_EQ(scale("4k3/4p3/8/8/8/8/4P3/4K3 w - - 50 40"), 75);
    EXPECT_EQ(scale("4k3/4p3/8/8/8/8/4P3/4K3 w - - 100 90"), 0);
    EXPECT_EQ(scale("4k3/4p3/8/8/8/8/4P3/4K3 w - - 200 190"), 0);
    EXPECT_EQ(eval("4k3/4p3/8/8/8/8/2Q1P3/4K3 w - - 100 90"), 0);
    EXPECT_EQ(scale("8/8/4k3/8/8/2b5/8/R3K3 w - - 50 60"), 25);  // the smaller of the two
}

TEST_F(Eval, PawnStructureTerms) {
    PawnStructureTrace t;
    // Two or three White pawns on a lone c-file: isolated and doubled once.
    for (const char* fen :
         {"4k3/8/8/8/2P5/2P5/8/4K3 w - - 0 1", "4k3/8/2P5/8/2P5/2P5/8/4K3 w - - 0 1"}) {
        set(fen);
        const PawnHashData d = computePawnStructure(*board, &t);
        EXPECT_EQ(d.mg, -37);
        EXPECT_EQ(d.eg, -43);
        EXPECT_EQ(d.openFiles, 0xFB);
        EXPECT_EQ(d.halfOpenFiles, 0x04);
    }
    // d3 with its neighbour on e5 and a Black pawn on c5 attacking d4.
    set("4k3/8/8/2p1P3/8/3P4/8/4K3 w - - 0 1");
    PawnHashData d = computePawnStructure(*board, &t);
    EXPECT_EQ(t.mg[WHITE], -24);
    EXPECT_EQ(t.eg[WHITE], -13);
    EXPECT_EQ(t.mg[BLACK], -31);  // the lone c-pawn is isolated
    EXPECT_EQ(d.mg, 7);
    EXPECT_EQ(d.eg, 0);
    // A blocked path: d3 with e5 ahead and a Black pawn on d4.
    set("4k3/8/8/4P3/3p4/3P4/8/4K3 w - - 0 1");
    computePawnStructure(*board, &t);
    EXPECT_EQ(t.mg[WHITE], 12);
    EXPECT_EQ(t.eg[WHITE], -5);
    // On the 6th rank a pawn is never backward, even when blocked.
    set("8/4pPk1/4P3/8/8/8/8/4K3 w - - 0 1");
    bool attacked, blocked;
    EXPECT_FALSE(isBackwardPawn<WHITE>(*board, makeSquare(4, 5), board->pieces(PAWN, WHITE), 0,
                                       attacked, blocked));
    // The Black twin of the d3 case.
    set("4k3/8/3p4/8/2P1p3/8/8/4K3 b - - 0 1");
    computePawnStructure(*board, &t);
    EXPECT_EQ(t.mg[BLACK], -24);
    EXPECT_EQ(t.eg[BLACK], -13);
    // The start position: nothing open, nothing weak.
    set(START);
    d = computePawnStructure(*board, &t);
    EXPECT_EQ(d.mg | d.eg | d.openFiles | d.halfOpenFiles, 0);
}

TEST_F(Eval, KingShieldPatterns) {
    set(START);
    EXPECT_EQ(kingShieldPattern(board->pieces(PAWN, WHITE), 4, WHITE), 7u);
    EXPECT_EQ(kingShieldPattern(board->pieces(PAWN, BLACK), 60, BLACK), 7u);
    EXPECT_EQ(kingShieldPattern(0, 0, WHITE), 9u);   // a1: the a-side squares are off the board
    EXPECT_EQ(kingShieldPattern(0, 7, WHITE), 36u);  // h1
    EXPECT_EQ(kingShieldPattern(0, makeSquare(3, 5), WHITE),
              56u);  // rank 6: the far rank counts as full
    EXPECT_EQ(kingShieldPattern(0, makeSquare(3, 2), BLACK), 56u);  // rank 3 for Black
    EXPECT_EQ(kingShieldPattern(0, makeSquare(3, 6), WHITE), 63u);
    EXPECT_EQ(kingShieldPattern(0, makeSquare(3, 1), BLACK), 63u);
}

TEST_F(Eval, LazyExitBoundsAreTrue) {
    set(START);
    EXPECT_EQ(evaluate(*board, pawnHash.get(), 224, 225), 224);  // alpha > base + 199
    EXPECT_EQ(evaluate(*board, pawnHash.get(), 223, 225), 24);
    EXPECT_EQ(evaluate(*board, pawnHash.get(), -300, -176), -176);  // beta < base - 199
    EXPECT_EQ(evaluate(*board, pawnHash.get(), -300, -175), 24);
}

// A side without mating material never scores above 0 as the side to move,
// and never lets the other side go below 0.
TEST_F(Eval, SideThatCannotWin) {
    EXPECT_EQ(eval("4k3/p7/8/8/8/8/8/1N2K3 w - - 0 1"), 0);
    EXPECT_EQ(eval("4k3/p7/8/8/8/8/8/1N2K3 b - - 0 1"), 0);
}

TEST_F(Eval, MopUpTerms) {
    // King and queen against a cornered king: 2 per step the kings come closer.
    const Score far = eval("k7/8/8/8/8/8/7Q/2K5 w - - 0 1");
    EXPECT_EQ(eval("k7/8/8/8/8/8/2K4Q/8 w - - 0 1") - far, 2);
    // Light-squared bishop: the weaker king gains 16 per step towards a1 or h8.
    const Score a4 = eval("8/8/8/8/k6K/3B4/8/7N w - - 0 1");
    EXPECT_EQ(eval("8/8/8/k7/7K/3B4/8/7N w - - 0 1") - a4, 16);
    // Pawnless rows hold no material or piece-square values.
    const EvalBreakdown bd = breakdown("7k/8/8/8/8/2KBN3/8/8 w - - 0 1");
    expectRow(bd, ROW_MATERIAL, 0, 0, 0, 0);
    expectRow(bd, ROW_PST, 0, 0, 0, 0);
    expectRow(bd, ROW_KING_DISTANCE, 4, 4, 0, 0);
    expectRow(bd, ROW_BN_CORNER, 0, 0, 112, 112);
    expectRow(bd, ROW_SIDE_TO_MOVE, 24, 0, 0, 0);
}

// A rook on the open king file scores the open-file value plus the
// king-file extra; on a half-open file only the half-open value.
TEST_F(Eval, RookFileTerms) {
    // The expected values count slider mobility on the empty-board rays.
    TALUN_SKIP_UNLESS(!Board::MOBILITY_ALONG_RAYS);
    const auto rookRow = [&](const char* fen, int rookSquare, int& mobility) {
        const EvalBreakdown bd = breakdown(fen);
        mobility = popCount(rookRays[rookSquare] & ~board->pieces(WHITE));
        return bd.rows[ROW_ROOKS];
    };
    int m;
    // Files b..h open (7), the rook on the enemy king's e-file.
    EvalTermRow r = rookRow("4k3/p7/8/4n3/8/8/P7/K3R3 w - - 0 1", 4, m);
    EXPECT_EQ(r.whiteMg, -2 * m + evaltables::rookOpenFileTable[7].mg + 83);
    EXPECT_EQ(r.whiteEg, 13 * m + evaltables::rookOpenFileTable[7].eg + 36);
    // Next to the king's file.
    r = rookRow("4k3/p7/8/8/8/8/P7/K2R4 w - - 0 1", 3, m);
    EXPECT_EQ(r.whiteMg, -2 * m + evaltables::rookOpenFileTable[7].mg + 54);
    // The a-file holds pawns of both colours: no file term.
    r = rookRow("4k3/p7/8/8/8/8/P7/R3K3 w - - 0 1", 0, m);
    EXPECT_EQ(r.whiteMg, -2 * m);
    // Half-open a-file (7 open + 1 half-open), far from the king: no king-file extra.
    r = rookRow("4k3/8/8/8/8/8/P7/R3K3 w - - 0 1", 0, m);
    EXPECT_EQ(r.whiteMg, -2 * m + evaltables::rookHalfOpenFileTable[8].mg);
    EXPECT_EQ(r.whiteEg, 13 * m + evaltables::rookHalfOpenFileTable[8].eg);
    // Half-open e-file under the enemy king: still no extra.
    r = rookRow("4k3/8/8/8/8/8/4P3/K3R3 w - - 0 1", 4, m);
    EXPECT_EQ(r.whiteMg, -2 * m + evaltables::rookHalfOpenFileTable[8].mg);
}

// Over many positions with pawns on both sides: the colour-mirrored twin
// scores the same for its side to move (White's view: negatives), the trace
// gives the same total, a hash hit gives the same score as a miss, and a lazy
// answer is a true bound.
TEST_F(Eval, MirrorAndConsistencyOverTestPositions) {
    int checked = 0;
    for (const char* file : {"epd/wac.epd", "epd/bk.epd", "epd/ecm.epd", "epd/arasan2024.epd",
                             "epd/perftsuite.epd", "epd/STS1-STS15_LAN_v3.epd"}) {
        for (const EpdLine& line : readEpdFile(testDataPath(file))) {
            const std::string fen = positionOf(line);
            Board probe;
            if (!probe.setFEN(fen.c_str())) continue;
            if (!probe.pieces(PAWN, WHITE) || !probe.pieces(PAWN, BLACK)) continue;
            const Score score = eval(fen);
            const Score again = eval(fen);  // a pawn-hash hit
            set(fen);
            const Score unhashed = evaluate(*board, nullptr, -MATE_SCORE, MATE_SCORE);
            const Score traced = breakdown(fen).total;
            const Score twin = eval(mirrorFen(fen));
            ASSERT_EQ(score, twin) << fen << " | " << mirrorFen(fen);
            ASSERT_EQ(score, again) << fen;
            ASSERT_EQ(score, unhashed) << fen;
            ASSERT_EQ(score, traced) << fen;
            set(fen);
            for (int offset : {-150, -40, 0, 40, 150}) {
                const Score a = score + offset, b = a + 1;
                const Score lazy = evaluate(*board, pawnHash.get(), a, b);
                if (lazy <= a) {
                    EXPECT_LE(score, lazy) << fen;
                }
                if (lazy >= b) {
                    EXPECT_GE(score, lazy) << fen;
                }
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
}

// Threads sharing one small pawn hash (so entries are overwritten while others
// read them) score every position as a lone thread does.
TEST(EvalThreads, SharedPawnHashGivesTheSameScores) {
    std::vector<std::string> fens;
    for (const EpdLine& line : readEpdFile(testDataPath("epd/wac.epd"))) {
        std::istringstream fields(line.fen);
        std::string placement, side, castling, ep;
        fields >> placement >> side >> castling >> ep;
        fens.push_back(placement + " " + side + " " + castling + " " + ep + " 0 1");
    }
    constexpr int THREADS = 4;
    std::vector<std::unique_ptr<Board>> boards[THREADS];
    std::vector<Score> expected;
    for (const std::string& fen : fens) {
        Board b;
        if (!b.setFEN(fen.c_str())) continue;
        expected.push_back(evaluate(b, nullptr, -MATE_SCORE, MATE_SCORE));
        for (auto& list : boards) list.push_back(std::make_unique<Board>(b));
    }
    ASSERT_GT(expected.size(), 200u);
    std::unique_ptr<PawnHashTable> shared(PawnHashTable::create(1));
    shared->mask = 63;  // 64 entries: constant replacement between threads
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round)
                for (size_t i = 0; i < expected.size(); ++i) {
                    const size_t k = (i * (t + 1) + round) % expected.size();
                    if (evaluate(*boards[t][k], shared.get(), -MATE_SCORE, MATE_SCORE) !=
                        expected[k])
                        ++mismatches;
                }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_GT(shared->pawnHashHits.load(), 0u);
}

// Single terms worked out by hand.
TEST_F(Eval, HandDerivedTerms) {
    // a5 passer, bare enemy king on f2: index 3, unstoppable too (3 < max(5, 6)).
    expectRow(breakdown("8/8/8/P7/8/8/5k2/K7 w - - 0 1"), ROW_PASSED_PAWNS, 20 + 95, 84 + 90, 0, 0);
    expectRow(breakdown("8/8/8/P7/8/8/5k2/K7 b - - 0 1"), ROW_PASSED_PAWNS, 20 + 95, 84 + 90, 0, 0);
    // The king on c6 catches it: max(2, 2) = 2 is not above index 3.
    expectRow(breakdown("8/8/2k5/P7/8/8/8/K7 w - - 0 1"), ROW_PASSED_PAWNS, 20, 84, 0, 0);
    // A Black man ahead: index 3 + 1, divided by 4 (57 / 4 truncates to 14).
    expectRow(breakdown("4k3/3n4/8/3P4/8/8/8/4K3 w - - 0 1"), ROW_PASSED_PAWNS, 4, 14, 0, 0);
    // An own man ahead: index 4 undivided.
    expectRow(breakdown("4k3/8/3B4/3P4/8/8/8/4K3 w - - 0 1"), ROW_PASSED_PAWNS, 16, 57, 0, 0);
    // Knight f6 against the king on g8: difference 33 (tropism 1), eight squares.
    EvalBreakdown bd = breakdown("6k1/p7/5N2/8/8/8/P7/4K3 b - - 0 1");
    expectRow(bd, ROW_KING_TROPISM, 13, -5, 0, 0);
    expectRow(bd, ROW_KNIGHTS, 32, 64, 0, 0);
    // Queen f1 on the open file beside the king's g-file: 20 ray squares but the
    // own king, (7, 39) for the file; tropism at difference 113 is 1.
    bd = breakdown("6k1/p7/8/8/8/8/P7/K4Q2 w - - 0 1");
    expectRow(bd, ROW_QUEENS, 4 * 20 + 7, 13 * 20 + 39, 0, 0);
    expectRow(bd, ROW_KING_TROPISM, 5, 41, 0, 0);
    // A knight in the corner with no free square.
    expectRow(breakdown("4k3/p7/8/8/8/1P6/2P5/N3K3 w - - 0 1"), ROW_KNIGHTS, -13, -55, 0, 0);
    // King g1 behind f2, g2, h3: pattern 35, one pawn missing; no open file.
    expectRow(breakdown("6k1/5ppp/8/8/8/7P/5PP1/6K1 w - - 0 1"), ROW_KING_SAFETY, -15, 7, 0, 0);
}

namespace {

MoveList legalMoves(Board& b) {
    MoveList list;
    list.clear();
    CheckInfo info;
    if (b.sideToMove == WHITE) {
        b.computeCheckInfo<WHITE>(info);
        b.genAllMoves<WHITE>(info, list);
    } else {
        b.computeCheckInfo<BLACK>(info);
        b.genAllMoves<BLACK>(info, list);
    }
    return list;
}

}  // namespace

// Random games from test positions: after every move the incrementally kept
// board scores as the same position set up afresh and as its colour twin.
TEST_F(Eval, RandomWalksKeepScoresConsistent) {
    // Each position is evaluated again from its FEN text.
    TALUN_SKIP_UNLESS(Board::HAS_FEN_WRITER);
    std::mt19937 random(20261208);
    const std::vector<EpdLine> lines = readEpdFile(testDataPath("epd/wac.epd"));
    int checked = 0;
    for (size_t n = 0; n < lines.size(); n += 3) {
        Board walk;
        if (!walk.setFEN(positionOf(lines[n]).c_str())) continue;
        for (int ply = 0; ply < 40; ++ply) {
            const MoveList moves = legalMoves(walk);
            if (moves.count == 0) break;
            UndoRecord undo;
            walk.makeMove(moves.move(u32(random() % moves.count)), undo);
            const std::string fen = fenOf(walk);
            const Score score = evaluate(walk, pawnHash.get(), -MATE_SCORE, MATE_SCORE);
            ASSERT_EQ(score, eval(fen)) << fen;
            if (walk.pieces(PAWN, WHITE) && walk.pieces(PAWN, BLACK)) {
                ASSERT_EQ(score, eval(mirrorFen(fen))) << fen;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 2000);
}
