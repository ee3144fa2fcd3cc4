// The generators of the 0x88 board against genAllMoves, over the positions of
// the shared perft files (their counts are checked by the shared perft suites,
// which run on this board too).
#include <algorithm>
#include <cctype>

#include "epd_reader.h"
#include "x88_test_util.h"

namespace {

struct PerftCase {
    std::string fen;
    std::vector<std::pair<int, u64>> counts;
};

// "fen ;D1 20 ;D2 400" or "fen; D1 27; D2 820".
std::vector<PerftCase> readPerft(const std::string& name) {
    std::vector<PerftCase> cases;
    for (const EpdLine& line : readEpdFile(testDataPath("epd/" + name))) {
        PerftCase c{line.fen, {}};
        const std::string& rest = line.rest;
        for (size_t i = 0; i + 1 < rest.size(); ++i) {
            if (rest[i] != 'D' || !std::isdigit(static_cast<unsigned char>(rest[i + 1]))) continue;
            char* end = nullptr;
            const long depth = std::strtol(rest.c_str() + i + 1, &end, 10);
            const u64 count = std::strtoull(end, &end, 10);
            c.counts.emplace_back(int(depth), count);
            i = size_t(end - rest.c_str()) - 1;
        }
        if (!c.counts.empty()) cases.push_back(c);
    }
    EXPECT_FALSE(cases.empty()) << name;
    return cases;
}

}  // namespace

// genEnPassant + genCaptures + genQuiets + genCastling hand out the moves of
// genAllMoves, each once; genQsCaptures is genCaptures without the minor
// promotions. Checked at every node two plies deep in every suite position.
namespace {
template <Color Us>
void checkGenerators(Board_0x88& b, int depth, const std::string& fen) {
    const CheckInfo info = checkInfo0x88(b);
    MoveList all{}, parts{}, captures{}, qs{};
    b.genAllMoves<Us>(info, all);
    b.genEnPassant<Us>(info, parts);
    b.genCaptures<Us>(info, parts);
    b.genQuiets<Us>(info, parts);
    b.genCastling<Us>(info, parts);
    b.genCaptures<Us>(info, captures);
    b.genQsCaptures<Us>(info, qs);
    std::vector<Move> a(all.slots, all.slots + all.count),
        p(parts.slots, parts.slots + parts.count);
    std::sort(a.begin(), a.end());
    std::sort(p.begin(), p.end());
    EXPECT_EQ(a, p) << fen;
    std::vector<Move> expectQs;
    for (u32 i = 0; i < captures.count; ++i) {
        const Move m = captures.move(i);
        if (moveKind(m) != MOVE_PROMOTION || promotionKind(m) == QUEEN) expectQs.push_back(m);
        EXPECT_TRUE(b.pieceKinds[x88::moveTo(m)] != EMPTY || moveKind(m) == MOVE_PROMOTION) << fen;
    }
    EXPECT_EQ(std::vector<Move>(qs.slots, qs.slots + qs.count), expectQs) << fen;
    if (depth == 0) return;
    for (u32 i = 0; i < all.count; ++i) {
        UndoRecord undo{};
        b.makeMovePerft<Us>(all.move(i), undo);
        checkGenerators<Color(Us ^ 1)>(b, depth - 1, fen);
        b.unmakeMovePerft<Us>(all.move(i), undo);
    }
}
}  // namespace

TEST(Generators0x88, PartsMakeUpTheWholeList) {
    for (const char* file : {"perftsuite.epd", "perft-stress.epd", "perft-ferdy-double-checks.epd"})
        for (const PerftCase& c : readPerft(file)) {
            auto b = board0x88(c.fen);
            if (b->sideToMove == WHITE)
                checkGenerators<WHITE>(*b, 1, c.fen);
            else
                checkGenerators<BLACK>(*b, 1, c.fen);
        }
}
