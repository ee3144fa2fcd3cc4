// "randgames": games of random legal moves on the game board, with counts of
// what happens in them.
#include "engine/random_games.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "search/chess_player.h"

namespace {


// Counts a move before it is made (the captured man is still on the board).
void countMove(RandomGameStatistics& s, const Board& board, Move m) {
    s.moves++;
    s.movesByKind[board.kindAt(moveFrom(m))]++;
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            s.promotions++;
            s.promotedTo[promotionKind(m)]++;
            break;
        case MOVE_CASTLING:
            s.castlings++;
            break;
        case MOVE_EN_PASSANT:
            s.epCaptures++;
            s.capturedByKind[PAWN]++;
            break;
        default:
            if (const u8 victim = board.kindAt(moveTo(m)); victim != EMPTY) {
                s.captures++;
                s.capturedByKind[victim]++;
            }
            if (isDoubleStep(m)) s.doubleSteps++;
    }
}

void countPosition(RandomGameStatistics& s, const Board& board) {
    u32 men[2] = {0, 0};
    for (int sq = 0; sq < 64; ++sq) {
        const u8 kind = board.kindAt(Square(sq));
        if (kind == EMPTY) continue;
        const u8 color = board.colorAt(Square(sq));
        men[color]++;
        s.presence[color][kind][sq]++;
    }
    // Both kings always stand, and no side has more than 16 men.
    for (int c = 0; c < 2; ++c) s.menCount[c][men[c] <= 16 ? men[c] : 16]++;
}

void playOneGame(ChessPlayer& player, RandomGameStatistics& s) {
    Board& board = *player.board;
    board.setFEN(START_FEN);
    player.plyCount = 0;
    MoveList list;
    bool inCheck = false;
    while (!player.isGameRecordFull()) {
        player.generateLegalMoves(list, inCheck);
        if (list.count == 0) break;
        const Move m = list.move(u32(std::rand() & 0x7fffffff) % list.count);
        countMove(s, board, m);
        player.playGameMove(m);
        countPosition(s, board);
        u32 reason = DRAW_NONE;
        if (board.isDraw(reason)) break;
    }
    s.gameLength[board.historyIndex]++;
    s.games++;
}

double share(u64 part, u64 whole) {
    return whole ? double(part) * 100.0 / double(whole) : 0.0;
}
double perGame(u64 total, u64 games) {
    return games ? double(total) / double(games) : 0.0;
}

void printPerKind(const char* label, const u64 (&byKind)[7], u64 games) {
    std::printf("%s", label);
    for (int k = PAWN; k <= KING; ++k)
        std::printf(k == PAWN ? "%6.2f" : " %6.2f", perGame(byKind[k], games));
    std::printf("\n");
}

void printPresence(const RandomGameStatistics& s) {
    constexpr u64 MOST_MEN[7] = {0, 8, 2, 2, 2, 1, 1};
    for (int c = 0; c < 2; ++c) {
        for (int k = PAWN; k <= KING; ++k) {
            const u64 whole = s.moves * MOST_MEN[k];
            std::printf("Avg. presence of %d %d:\n", c, k);
            u64 sum = 0;
            for (int rank = 7; rank >= 0; --rank) {
                for (int file = 0; file < 8; ++file) {
                    const u64 n = s.presence[c][k][rank * 8 + file];
                    sum += n;
                    std::printf(file ? " %5.1f" : "%5.1f", share(n, whole));
                }
                std::printf("\n");
            }
            std::printf("[%5.1f]\n", share(sum, whole));
        }
    }
}

void printMenCounts(const RandomGameStatistics& s) {
    for (int c = 0; c < 2; ++c) {
        std::printf("Frequency of positions with given number of %s pieces:\n",
                    c == WHITE ? "white" : "black");
        for (int n = 1; n <= 16; ++n)
            std::printf(n % 8 == 1 ? "%5.1f" : (n % 8 == 0 ? " %5.1f\n" : " %5.1f"),
                        share(s.menCount[c][n], s.moves));
    }
}

void printGameLengths(const RandomGameStatistics& s) {
    constexpr int BAND = 20, BANDS = 40;
    std::printf("Game length:\n");
    for (int band = 0; band < BANDS; ++band) {
        const u32 last = band == BANDS - 1 ? HISTORY_SIZE - 1 : u32(band * BAND + BAND - 1);
        u64 n = 0;
        for (u32 plies = u32(band * BAND); plies <= last; ++plies) n += s.gameLength[plies];
        std::printf("%4d .. %4d: %5.2f\n", band * BAND, band * BAND + BAND - 1, share(n, s.games));
    }
}

}  // namespace

void runRandomGames(ChessPlayer& player, u64 games, RandomGameStatistics& stats) {
    // One progress mark per fiftieth of the run, or per game in short runs.
    const u64 interval = games >= 50 ? games / 50 : 1;
    for (u64 i = 0; i < games; ++i) {
        if (i % interval == 0) {
            std::printf("#");
            std::fflush(stdout);
        }
        playOneGame(player, stats);
    }
    player.board->setFEN(START_FEN);
    player.plyCount = 0;
}

void printRandomGameStatistics(const RandomGameStatistics& s) {
    const u64 g = s.games;
    std::printf("calculate average values ...\n");
    std::printf("Total games:                        %10llu\n", (unsigned long long)g);
    std::printf("Total positions:                    %10llu\n", (unsigned long long)s.moves);
    std::printf("Avg. moves/game:                    %6.2f\n", perGame(s.moves, g));
    std::printf("Avg. captures/game:                 %6.2f\n", perGame(s.captures, g));
    std::printf("Avg. promotions/game:               %6.2f\n", perGame(s.promotions, g));
    std::printf("Avg. castlings/game:                %6.2f\n", perGame(s.castlings, g));
    std::printf("Avg. ep captures/game:              %6.2f\n", perGame(s.epCaptures, g));
    std::printf("Avg. double steps/game:             %6.2f\n", perGame(s.doubleSteps, g));
    printPerKind("Avg. moves of piece/game:           ", s.movesByKind, g);
    printPerKind("Avg. captures of piece/game:        ", s.capturedByKind, g);
    printPerKind("Avg. promotions into piece/game:    ", s.promotedTo, g);
    printPresence(s);
    printMenCounts(s);
    printGameLengths(s);
    std::fflush(stdout);
}

void ChessPlayer::playRandomGames(u64 games) {
    std::printf("# Playing %llu random games ...\n", (unsigned long long)games);
    std::fflush(stdout);
    const auto stats = std::make_unique<RandomGameStatistics>();
    const u8 oldRandomMoveMode = randomMoveMode;
    randomMoveMode = 1;
    runRandomGames(*this, games, *stats);
    std::printf("\n");
    printRandomGameStatistics(*stats);
    randomMoveMode = oldRandomMoveMode;
}
