// The developer commands "selftest", "test", "randpos", "randgames" and "tune".
#include <cstdio>
#include <memory>
#include <string>

#include "engine/settings.h"
#include "engine/wbengine.h"
#include "platform/regular_file.h"

namespace {

// The most characters of a test-file line that are kept. A FEN text stays
// under 100 characters (71 for the squares and slashes, then side, castling
// rights, en-passant square and two move counters), so no real position
// comes near this; a longer line is refused, and a file without line ends
// cannot make the reader hold more than this.
constexpr size_t MAX_TEST_LINE = 127;

// Sets a random position on the board and writes its FEN text into `fen`
// (at least 90 characters). A board without a random-position generator
// keeps its position and gives an empty text.
template <class B>
void setRandomPositionFen(B& board, char* fen) {
    if constexpr (B::HAS_RANDOM_POSITIONS && B::HAS_FEN_WRITER) {
        board.setRandomPosition();
        board.getFEN(fen);
    } else {
        fen[0] = '\0';
    }
}

// Reads one line without its line feed, keeping its first MAX_TEST_LINE
// characters; the rest of a longer line is read and dropped, and `cut` says
// so. False at the end of the file when nothing was read.
bool readBoundedLine(FILE* file, std::string& line, bool& cut) {
    line.clear();
    cut = false;
    int c;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n') return true;
        if (line.size() < MAX_TEST_LINE) {
            line += char(c);
        } else {
            cut = true;
        }
    }
    return !line.empty();
}

// The line as it can be shown: NUL bytes, which would cut the text short,
// are written as "\0".
std::string printable(const std::string& line) {
    std::string text;
    for (char c : line) text += c == '\0' ? std::string("\\0") : std::string(1, c);
    return text;
}

}  // namespace

bool WBEngine::cmdSelfTest(const Args&) {
    const bool allPassed = player.selfTest();
    cmdNew({});
    return allPassed;
}

bool WBEngine::cmdTest(const Args& a) {
    if (a.empty()) return cmdNew(a);
    // Only a regular file: a folder or a device such as /dev/zero has no
    // lines to test, and a FIFO would wait for a writer.
    FILE* file = openRegularFile(a[0].c_str());
    if (!file) {
        printAndFlush("# ERROR: failed to open file \"" + a[0] + "\" for reading\n");
        return false;
    }
    // The lines are set on a copy of the game board, so that a run that
    // fails leaves the game as it was.
    auto board = std::make_unique<Board>(*player.board);
    std::string line;
    bool cut = false;
    for (int number = 1; readBoundedLine(file, line, cut); ++number) {
        trimLineEnd(line);
        // A cut line is shown with "..." where its rest was dropped.
        const std::string shown = printable(line) + (cut ? "..." : "");
        std::printf("Running test no. %d for FEN:\n%s\n\n", number, shown.c_str());
        // A NUL byte inside the line would hide the rest of it from the reader.
        const bool legal =
            !cut && line.find('\0') == std::string::npos && board->setFEN(line.c_str());
        if (!legal) std::printf("# ERROR: illegal FEN: \"%s\"\n", shown.c_str());
        std::printf("\n");
        std::fflush(stdout);
    }
    // A file that cannot be read to its end (an I/O error) is no successful run.
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        printAndFlush("# ERROR: failed to read file \"" + a[0] + "\"\n");
        return false;
    }
    return cmdNew({});
}

bool WBEngine::cmdRandPos(const Args& a) {
    autoMode = false;
    engineColor = NO_COLOR;
    forceMode = true;
    analyzeMode = false;
    char fen[96];
    if (a.empty()) {
        setRandomPositionFen(*player.board, fen);
        printBoard();
        printAndFlush(std::string(fen) + "\n");
    } else {
        const i64 count = parseNumberLikeAtoi(a[0].c_str());
        if (count < 1) return false;
        FILE* out = stdout;
        if (a.size() > 1) {
            out = openForWritingNoWait(a[1].c_str());
            if (!out) {
                printAndFlush("# ERROR: failed to open file \"" + a[1] + "\" for writing\n");
                return false;
            }
        }
        // The positions are made on a copy of the game board, so that a file
        // that cannot be written leaves the game as it was.
        auto board = std::make_unique<Board>(*player.board);
        bool written = true;
        for (i64 i = 0; i < count && written; ++i) {
            setRandomPositionFen(*board, fen);
            written = std::fputs(fen, out) >= 0 && std::fputc('\n', out) != EOF;
        }
        written = std::fflush(out) == 0 && written;
        if (out != stdout) {
            written = std::fclose(out) == 0 && written;
            if (!written) {
                printAndFlush("# ERROR: failed to write file \"" + a[1] + "\"\n");
                return false;
            }
            printAndFlush("Wrote " + std::to_string(count) + " random FENs to file \"" + a[1] +
                          "\"\n");
        }
    }
    positionChanged = true;
    return cmdNew({});
}

bool WBEngine::cmdRandGames(const Args& a) {
    const i64 games = parseNumberLikeAtoi(a[0].c_str());
    if (games < 1) return false;
    // The games use the game board and record, which a search must not share.
    player.stopSearch();
    player.playRandomGames(u64(games));
    return true;
}

bool WBEngine::cmdTune(const Args&) {
    return true;
}
