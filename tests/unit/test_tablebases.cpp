// The tablebase prober against real files: the EPD results, colour exchange,
// the four compression schemes of the 3-man files, the finding of files in
// the directory list, and the probe's edge cases.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <sstream>
#include <string>
#include <thread>

#include "board/board.h"
#include "epd_reader.h"
#include "tablebases/tablebases.h"
#include "tablebases/tb_internal.h"

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

// The folder of this process's copies of files (both boards' test programs
// may run at once).
std::string tempRoot() {
    return ::testing::TempDir() + "talun_tb_" + std::to_string(getpid());
}

class Tablebases : public ::testing::Test {
   protected:
    void SetUp() override { start(4, {GTB_DIR}, 16); }
    void TearDown() override {
        stop();
        std::system(("rm -rf '" + tempRoot() + "'").c_str());
    }
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

namespace {

// White king, White men, Black king, Black men as square lists of one probe.
TbProbeInput position(int side, std::initializer_list<std::pair<u32, u8>> white,
                      std::initializer_list<std::pair<u32, u8>> black, int ep = 64) {
    TbProbeInput in;
    in.side = side;
    in.epSquare = ep;
    int n = 0;
    for (auto [s, k] : white) in.whiteSquares[n] = s, in.whitePieces[n++] = k;
    in.whiteSquares[n] = 64, in.whitePieces[n] = 0;
    n = 0;
    for (auto [s, k] : black) in.blackSquares[n] = s, in.blackPieces[n++] = k;
    in.blackSquares[n] = 64, in.blackPieces[n] = 0;
    return in;
}

constexpr u8 P = 1, N = 2, R = 4, Q = 5, K = 6;
constexpr u32 A1 = 0, B1 = 1, C1 = 2, D1 = 3, E1 = 4, H1 = 7, A2 = 8, B2 = 9, C3 = 18, A4 = 24,
              E4 = 28, D5 = 35, D6 = 43, E6 = 44, A8 = 56, E8 = 60, H8 = 63;

}  // namespace

TEST_F(Tablebases, ThreeManFilesAgreeAcrossTheFourCompressionSchemes) {
    stop();
    const char* names[] = {"kqk", "krk", "kbk", "knk", "kpk"};
    const u8 kinds[] = {Q, R, 3, N, P};
    std::vector<u32> reference;
    for (int scheme = 1; scheme <= 4; ++scheme) {
        start(scheme, {"/usr/share/gaviotatb/gtb" + std::to_string(scheme)}, 16);
        std::vector<u32> values;
        for (int e = 0; e < 5; ++e)
            for (u32 wk = 0; wk < 64; ++wk)
                for (u32 bk = 0; bk < 64; bk += 3)
                    for (u32 x = 8; x < 56; x += 5)
                        for (int side = 0; side < 2; ++side) {
                            const Answer a =
                                probe(position(side, {{wk, K}, {x, kinds[e]}}, {{bk, K}}));
                            ASSERT_TRUE(a.ok) << names[e] << " scheme " << scheme;
                            values.push_back(a.plies << 3 | a.outcome);
                        }
        if (scheme == 1)
            reference = values;
        else
            EXPECT_TRUE(values == reference) << "scheme " << scheme;
        stop();
    }
    start(4, {GTB_DIR}, 16);
}

TEST_F(Tablebases, KingsOnlyDrawUnlessTheyTouchAndSixMenFail) {
    Answer a = probe(position(0, {{C3, K}}, {{A1, K}}));
    EXPECT_TRUE(a.ok && a.outcome == TB_DRAW && a.plies == 0);
    a = probe(position(0, {{B2, K}}, {{A1, K}}));
    EXPECT_TRUE(a.ok && a.outcome == TB_NO_VALUE);
    a = probe(position(0, {{E1, K}, {A2, P}, {B2, P}, {C3, P}}, {{E8, K}, {H8, R}}));
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.outcome, TB_NO_VALUE);
    EXPECT_EQ(a.plies, 0u);
}

TEST_F(Tablebases, InputsNoBoardCouldGiveFailWithoutReadingAnything) {
    TbProbeInput in = position(0, {{E1, K}, {D1, Q}}, {{E8, K}});
    in.whiteSquares[1] = 70;
    EXPECT_FALSE(probe(in).ok);
    in = position(0, {{E1, K}, {D1, 9}}, {{E8, K}});
    EXPECT_FALSE(probe(in).ok);
    in = position(0, {{E1, K}, {D1, Q}}, {{E8, K}}, 200);
    EXPECT_FALSE(probe(in).ok);
    in = position(2, {{E1, K}, {D1, Q}}, {{E8, K}});
    EXPECT_FALSE(probe(in).ok);
    in = position(0, {{E1, Q}}, {{E8, K}});  // no king
    EXPECT_FALSE(probe(in).ok);
}

TEST_F(Tablebases, EnPassantSquareWithoutACapturerChangesNothing) {
    // Black pawn just came d7-d5; White's pawn on e4 cannot take it.
    const Answer plain = probe(position(0, {{E1, K}, {E4, P}}, {{E8, K}, {D5, P}}));
    const Answer ep = probe(position(0, {{E1, K}, {E4, P}}, {{E8, K}, {D5, P}}, D6));
    ASSERT_TRUE(plain.ok && ep.ok);
    EXPECT_EQ(ep.outcome, plain.outcome);
    EXPECT_EQ(ep.plies, plain.plies);
}

TEST_F(Tablebases, SoftProbesAnswerOnlyFromDecodedBlocks) {
    const TbProbeInput in = position(0, {{E1, K}, {H1, R}}, {{E6, K}});
    const Answer soft = probe(in, false);
    EXPECT_FALSE(soft.ok);
    const Answer hard = probe(in);
    ASSERT_TRUE(hard.ok);
    EXPECT_EQ(hard.outcome, TB_WHITE_MATES);
    const Answer again = probe(in, false);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.plies, hard.plies);
}

TEST_F(Tablebases, OneBlockCacheReloadsBetweenBlocksAndStaysRight) {
    // kqkr positions in different blocks: the White-to-move and Black-to-move halves.
    const TbProbeInput first = position(0, {{A1, K}, {H8, Q}}, {{E4, K}, {B1, R}});
    const TbProbeInput second = position(1, {{H1, K}, {A2, Q}}, {{D5, K}, {A8, R}});
    const Answer a = probe(first), b = probe(second);
    ASSERT_TRUE(a.ok && b.ok);
    stop();
    start(4, {GTB_DIR}, 0);
    for (int round = 0; round < 3; ++round) {
        const Answer x = probe(first), y = probe(second);
        ASSERT_TRUE(x.ok && y.ok);
        EXPECT_EQ(x.plies << 3 | x.outcome, a.plies << 3 | a.outcome);
        EXPECT_EQ(y.plies << 3 | y.outcome, b.plies << 3 | b.outcome);
        EXPECT_FALSE(probe(first, false).ok);  // the block of `second` is the only one cached
    }
}

TEST_F(Tablebases, AMissingFileFailsItsEndgameUntilTheNextStart) {
    stop();
    start(4, {"/nonexistent/dir"}, 1);
    const TbProbeInput in = position(0, {{E1, K}, {H1, R}}, {{E6, K}});
    EXPECT_FALSE(probe(in).ok);
    EXPECT_FALSE(probe(in, false).ok);
    stop();
    start(4, {"/nonexistent/dir", GTB_DIR}, 1);
    EXPECT_TRUE(probe(in).ok);
}

namespace {

std::vector<u8> readFile(const std::string& path) {
    std::vector<u8> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(u8(c));
        std::fclose(f);
    }
    return bytes;
}

std::string ownDir(const std::string& tag) {
    return tempRoot() + "/" + tag;
}

// A directory of its own holding one file (a damaged or rewritten copy of a real one).
std::string writeInOwnDir(const std::string& tag, const std::string& name,
                          const std::vector<u8>& bytes) {
    const std::string dir = ownDir(tag);
    std::string command = "mkdir -p '" + dir + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return dir;
}

void putU32(std::vector<u8>& bytes, size_t at, u32 value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = u8(value >> (8 * i));
}

u32 getU32(const std::vector<u8>& bytes, size_t at) {
    return u32(bytes[at]) | u32(bytes[at + 1]) << 8 | u32(bytes[at + 2]) << 16 |
           u32(bytes[at + 3]) << 24;
}

// The packed answers of positions in every block of "krk"; FAILED where the probe failed.
constexpr u32 FAILED = ~0u;
std::vector<u32> probeKrk() {
    std::vector<u32> values;
    for (u32 wk = 0; wk < 64; wk += 3)
        for (u32 bk = 0; bk < 64; bk += 5)
            for (int side = 0; side < 2; ++side) {
                const Answer a = probe(position(side, {{wk, K}, {(wk + 9) % 64, R}}, {{bk, K}}));
                values.push_back(a.ok ? a.plies << 3 | a.outcome : FAILED);
            }
    return values;
}

// Answers read from the file (placements without an index answer without it).
long readAnswers(const std::vector<u32>& values) {
    return std::count_if(values.begin(), values.end(),
                         [](u32 v) { return v != FAILED && (v & 7) != TB_NO_VALUE; });
}

}  // namespace

TEST_F(Tablebases, DamagedFilesFailTheirEndgameAndNothingElse) {
    const std::vector<u8> good = readFile(GTB_DIR + "/krk.gtb.cp4");
    ASSERT_GT(good.size(), 100u);
    const std::vector<u32> reference = probeKrk();
    ASSERT_EQ(std::count(reference.begin(), reference.end(), FAILED), 0);
    auto startWith = [&](const std::string& tag, const std::vector<u8>& bytes,
                         std::vector<std::string> more = {}) {
        stop();
        more.insert(more.begin(), writeInOwnDir(tag, "krk.gtb.cp4", bytes));
        start(4, more, 1);
    };
    const std::vector<u8> truncated(good.begin(), good.begin() + good.size() / 2);
    startWith("truncated", truncated);
    EXPECT_EQ(readAnswers(probeKrk()), 0);
    startWith("header_only", std::vector<u8>(good.begin(), good.begin() + 12));
    EXPECT_EQ(readAnswers(probeKrk()), 0);
    const struct {
        size_t at;
        u32 value;
    } patches[] = {
        {32, 0xFFFFFFF0u},  // offset table past the end
        {32, 44},           // one offset: fewer than the blocks need
        {44, 0x7FFFFFFF},   // an offset beyond the file
        {44, 41},           // offsets not increasing
    };
    for (const auto& patch : patches) {
        std::vector<u8> bad = good;
        putU32(bad, patch.at, patch.value);
        startWith("patched", bad);
        EXPECT_EQ(readAnswers(probeKrk()), 0) << patch.at << " " << patch.value;
    }
    // Damaged block contents: decoding fails or gives bytes, never more.
    const u32 firstBlock = u32(good[40]) | u32(good[41]) << 8;
    for (int variant = 0; variant < 4; ++variant) {
        std::vector<u8> bad = good;
        for (size_t i = firstBlock + 1 + variant * 3; i < bad.size(); i += 7 + variant)
            bad[i] ^= u8(0x5A + variant);
        if (variant == 3) bad[firstBlock + 1] = 1, putU32(bad, firstBlock + 3, 0xFFFFFFFFu);
        startWith("data", bad);
        probeKrk();
    }
    // Beside a damaged copy the other endgames answer, and whatever krk
    // answers (from the intact copy, found when the file is opened again) is right.
    startWith("truncated", truncated, {GTB_DIR});
    const std::vector<u32> beside = probeKrk();
    for (size_t i = 0; i < beside.size(); ++i)
        EXPECT_TRUE(beside[i] == FAILED || beside[i] == reference[i]) << i;
    const Answer kqk = probe(position(0, {{E1, K}, {D1, Q}}, {{E8, K}}));
    EXPECT_TRUE(kqk.ok && kqk.outcome == TB_WHITE_MATES);
}

TEST_F(Tablebases, FullCacheReplacesTheLeastRecentlyUsedBlock) {
    stop();
    start(4, {GTB_DIR}, 1);  // 8 blocks
    int id = -1;
    const u8 white[] = {K, Q, 0}, black[] = {K, R, 0};
    ASSERT_TRUE(tb::tbFindIdByName(white, black, id));
    auto cached = [&](u32 block) {
        tb::PackedValue v;
        return tb::tbCacheGet(id, 0, block * tb::ENTRIES_PER_BLOCK + 5, v);
    };
    for (u32 b = 0; b < 8; ++b) ASSERT_TRUE(tb::tbCacheLoadBlock(id, 0, b * tb::ENTRIES_PER_BLOCK));
    EXPECT_TRUE(cached(0));  // the tail becomes the head
    ASSERT_TRUE(tb::tbCacheLoadBlock(id, 0, 8 * tb::ENTRIES_PER_BLOCK));
    EXPECT_FALSE(cached(1));  // the new tail made room
    for (u32 b : {0u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) EXPECT_TRUE(cached(b)) << b;

    // Many more blocks than nodes, in a scattered order: every value read
    // through the small cache equals the one read through a large one.
    auto readAll = [&](std::vector<tb::PackedValue>& values) {
        for (u32 side = 0; side < 2; ++side)
            for (u32 i = 0; i < 200; ++i) {
                const u32 index = u32(u64(i) * 7919 * tb::ENTRIES_PER_BLOCK / 3 % 1892352);
                tb::PackedValue v = 0;
                if (!tb::tbCacheGet(id, side, index, v)) {
                    ASSERT_TRUE(tb::tbCacheLoadBlock(id, side, index));
                    ASSERT_TRUE(tb::tbCacheGet(id, side, index, v));
                }
                values.push_back(v);
            }
    };
    std::vector<tb::PackedValue> small, large;
    readAll(small);
    stop();
    start(4, {GTB_DIR}, 256);
    readAll(large);
    EXPECT_TRUE(small == large);
}

TEST_F(Tablebases, UncompressedFilesReadWithAndWithoutCache) {
    // kqk.gtb made from the blocks of the compressed file.
    const std::vector<u8> packed = readFile(GTB_DIR + "/kqk.gtb.cp4");
    ASSERT_GT(packed.size(), 100u);
    auto word = [&](size_t at) { return getU32(packed, at); };
    const u32 maxIndex = 29568, perSide = tb::blocksPerSide(maxIndex);
    std::vector<u8> raw, block(tb::BUFFER_SIZE);
    for (u32 k = 0; k < 2 * perSide; ++k) {
        const u32 start = word(40 + 4 * k), end = word(44 + 4 * k);
        const u32 count = k % perSide == perSide - 1 ? maxIndex - (perSide - 1) * 16384 : 16384;
        ASSERT_TRUE(tb::tbDecodeBlock(4, &packed[start + 1], end - start - 1, block.data(), count));
        raw.insert(raw.end(), block.begin(), block.begin() + count);
    }
    const std::string dir = writeInOwnDir("plain", "kqk.gtb", raw);
    std::vector<Answer> expected;
    auto probeAll = [&](std::vector<Answer>& out) {
        for (u32 wk = 0; wk < 64; wk += 3)
            for (u32 q = 1; q < 64; q += 7)
                for (int side = 0; side < 2; ++side)
                    out.push_back(probe(position(side, {{wk, K}, {q, Q}}, {{(wk + 19) % 64, K}})));
    };
    probeAll(expected);
    for (u32 cacheMB : {0u, 1u}) {
        stop();
        start(0, {dir}, cacheMB);
        std::vector<Answer> got;
        probeAll(got);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].ok, expected[i].ok) << i;
            EXPECT_EQ(got[i].plies << 3 | got[i].outcome,
                      expected[i].plies << 3 | expected[i].outcome);
        }
    }
}

TEST_F(Tablebases, AnLzmaBlockThatLeavesInputUnreadFailsItsEndgame) {
    const TbProbeInput in = position(0, {{C1, K}, {A4, Q}}, {{E6, K}});
    const Answer real = probe(in);
    ASSERT_TRUE(real.ok && real.outcome == TB_WHITE_MATES);
    // Each block's data after the skipped byte and the 14-byte head zeroed:
    // all-zero LZMA data decodes to zero bytes (draws) from its first few
    // bytes; only the input left over gives such a block away.
    std::vector<u8> zeroed = readFile(GTB_DIR + "/kqk.gtb.cp4");
    ASSERT_GT(zeroed.size(), 100u);
    for (u32 k = 0; k < 2 * tb::blocksPerSide(29568); ++k)
        std::fill(zeroed.begin() + getU32(zeroed, 40 + 4 * k) + 15,
                  zeroed.begin() + getU32(zeroed, 44 + 4 * k), 0);
    stop();
    start(4, {writeInOwnDir("zeroed", "kqk.gtb.cp4", zeroed)}, 1);
    EXPECT_FALSE(probe(in).ok);
    EXPECT_FALSE(probe(in).ok);  // the endgame stays failed
}

TEST_F(Tablebases, TableNamesThatAreNotRegularFilesCountAsMissing) {
    stop();
    // A FIFO named like kqk's file and a directory named like krk's, before
    // a directory with the real two (few enough files that none is closed).
    const std::string dir = ownDir("special");
    const std::string fifo = dir + "/kqk.gtb.cp4";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "/krk.gtb.cp4'").c_str()), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    writeInOwnDir("good", "kqk.gtb.cp4", readFile(GTB_DIR + "/kqk.gtb.cp4"));
    const std::string good =
        writeInOwnDir("good", "krk.gtb.cp4", readFile(GTB_DIR + "/krk.gtb.cp4"));
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread setUp([&] {
        start(4, {dir, good}, 1);
        done.set_value();
    });
    const bool returned = finished.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    if (!returned) {
        // A writer releases the opening that waits for one, so the test ends.
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
    }
    setUp.join();
    ASSERT_TRUE(returned) << "the set-up waited on the FIFO";
    const Answer kqk = probe(position(0, {{C1, K}, {A4, Q}}, {{E6, K}}));
    EXPECT_TRUE(kqk.ok && kqk.outcome == TB_WHITE_MATES);
    const Answer krk = probe(position(0, {{E1, K}, {H1, R}}, {{E6, K}}));
    EXPECT_TRUE(krk.ok && krk.outcome == TB_WHITE_MATES);
}

TEST_F(Tablebases, AReopenedFileIsSoughtFirstInTheDirectoryAfterTheLastThatHeldIt) {
    stop();
    const std::vector<u8> kqk = readFile(GTB_DIR + "/kqk.gtb.cp4");
    const std::string a = ownDir("turn_a"), b = ownDir("turn_b"), c = ownDir("turn_c");
    writeInOwnDir("turn_b", "kqk.gtb.cp4", kqk);
    start(4, {a, b, c}, 1);
    int id = -1;
    const u8 white[] = {K, Q, 0}, black[] = {K, 0};
    ASSERT_TRUE(tb::tbFindIdByName(white, black, id));
    // Which directory's copy the endgame has open, by the file's identity.
    auto openFrom = [&](const std::string& dir) {
        struct stat held, copy;
        std::FILE* f = tb::endgameTable()[id].file;
        return f && fstat(fileno(f), &held) == 0 &&
               stat((dir + "/kqk.gtb.cp4").c_str(), &copy) == 0 && held.st_ino == copy.st_ino &&
               held.st_dev == copy.st_dev;
    };
    EXPECT_TRUE(openFrom(b));
    writeInOwnDir("turn_a", "kqk.gtb.cp4", kqk);
    writeInOwnDir("turn_c", "kqk.gtb.cp4", kqk);
    for (const std::string& next : {c, a, b}) {
        tb::tbCloseAllFiles();
        ASSERT_TRUE(tb::tbOpenFile(id));
        EXPECT_TRUE(openFrom(next)) << next;
    }
}
