// The tablebase prober against real files: the EPD results, colour exchange,
// the four compression schemes of the 3-man files, and the probe's edge cases.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "board/board.h"
#include "epd_reader.h"
#include "tablebases/tablebases.h"

namespace {

const std::string GTB_DIR = std::string(TALUN_DATA_DIR) + "/gtb";
const std::string EPD_FILE = std::string(TALUN_DATA_DIR) + "/epd/gaviota-endgame-dm-4.epd";

TbProbeInput inputOf(const std::string& fen) {
    Board board;
    board.resetBoard();
    EXPECT_TRUE(board.setFEN(fen.c_str())) << fen;
    TbProbeInput in;
    if (board.sideToMove == WHITE)
        buildTablebaseProbe<WHITE>(board, in);
    else
        buildTablebaseProbe<BLACK>(board, in);
    return in;
}

// The same position with the colours exchanged and the board turned top to bottom.
TbProbeInput exchanged(const TbProbeInput& in) {
    TbProbeInput out = in;
    out.side = in.side ^ 1;
    out.epSquare = in.epSquare == 64 ? 64 : in.epSquare ^ 56;
    for (int i = 0; i < 17; ++i) {
        out.whiteSquares[i] = in.blackSquares[i] == 64 ? 64 : in.blackSquares[i] ^ 56;
        out.blackSquares[i] = in.whiteSquares[i] == 64 ? 64 : in.whiteSquares[i] ^ 56;
        out.whitePieces[i] = in.blackPieces[i];
        out.blackPieces[i] = in.whitePieces[i];
    }
    return out;
}

struct Answer {
    bool ok;
    TbOutcome outcome;
    u32 plies;
};

Answer probe(const TbProbeInput& in, bool hard = true) {
    Answer a{false, TB_NOT_PROBED, 99};
    a.ok = tbLookupPosition(in, hard, a.outcome, a.plies);
    return a;
}

// Distance to mate in moves as the EPD files give it: positive when the
// side to move mates, negative when it is mated, 0 for a draw.
int movesToMate(const Answer& a, int side) {
    if (a.outcome == TB_DRAW) return 0;
    const bool sideMates = (a.outcome == TB_WHITE_MATES) == (side == 0);
    return sideMates ? int(a.plies + 1) / 2 : -int(a.plies / 2);
}

class Tablebases : public ::testing::Test {
   protected:
    void SetUp() override { start(4, {GTB_DIR}, 16); }
    void TearDown() override { stop(); }
    static void start(int scheme, const std::vector<std::string>& paths, u32 cacheMB) {
        tbLibraryStart(scheme, paths);
        tbBlockCacheCreate(cacheMB);
    }
    static void stop() {
        tbBlockCacheFree();
        tbLibraryStop();
    }
};

TEST_F(Tablebases, EveryEpdPositionGivesItsDistanceToMateAndItsMirror) {
    int probed = 0;
    for (const EpdLine& line : readEpdFile(EPD_FILE)) {
        if (line.fen.empty() || line.fen[0] == '#') continue;
        std::istringstream fields(line.fen);
        std::string board, side, castling, ep, op;
        int dm = 0;
        fields >> board >> side >> castling >> ep >> op >> dm;
        ASSERT_EQ(op, "dm") << line.raw;
        const std::string fen = board + " " + side + " " + castling + " " + ep + " 0 1";
        const TbProbeInput in = inputOf(fen);
        const Answer a = probe(in);
        ASSERT_TRUE(a.ok) << fen;
        EXPECT_EQ(movesToMate(a, in.side), dm) << fen;
        const Answer m = probe(exchanged(in));
        ASSERT_TRUE(m.ok) << fen;
        EXPECT_EQ(m.plies, a.plies) << fen;
        EXPECT_EQ(m.outcome, a.outcome == TB_DRAW ? TB_DRAW : TbOutcome(a.outcome ^ 3)) << fen;
        ++probed;
    }
    EXPECT_GE(probed, 45);
}

}  // namespace
