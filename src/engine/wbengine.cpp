#include "engine/wbengine.h"

#include <cstdio>
#include <thread>

#include "engine/input_wait.h"
#include "engine/settings.h"

WBEngine::WBEngine() {
    player.clock = &clock;
    player.engineInterface = this;
}

Args splitString(const std::string& text, char separator) {
    Args pieces;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) break;
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

// ---------------------------------------------------------------------------
// Board print and the engine's move

void WBEngine::printBoard() {
    positionChanged = false;
    const Board& b = *player.board;
    std::string text;
    text.reserve(8 * 11 + 2);
    for (int rank = 7; rank >= 0; rank--) {
        text += "# ";
        for (int file = 0; file < 8; file++) {
            Square sq = makeSquare(file, rank);
            char letter = PIECE_LETTERS[b.kindAt(sq)];
            if (b.colorAt(sq) == WHITE) letter = char(letter - 'a' + 'A');
            text += letter;
        }
        text += '\n';
    }
    text += "#\n";
    printAndFlush(text);
}

void WBEngine::makeEngineMove(Move move) {
    // An analysing interface would take a "move" line as a move of its game,
    // so analysis hands out none, whatever its source (a random game's move).
    if (analyzeMode) return;
    searchRan = false;  // a new position: the next search may start
    char text[8];
    moveToString(move, text);
    if (player.isGameRecordFull()) {
        // The search never starts on a full record; refuse rather than overrun it.
        printf("Error (game record full): %s\n", text);
        engineColor = NO_COLOR;
        forceMode = true;
        fflush(stdout);
        return;
    }
    bool offerDraw = false;
    {
        // The draw test plays the move and takes it back: "time" must see
        // neither that nor a half-made move. Nothing is printed under the
        // lock, so that an interface slow to read cannot hold the command loop.
        std::lock_guard<std::mutex> record(player.gameRecordMutex);
        offerDraw = player.claimsDraw(move);
        player.playGameMove(move);
    }
    if (offerDraw) printAndFlush("offer draw\n");
    printf("# making engine move: %s\n", text);
    positionChanged = true;
    printf("move %s\n", text);
    if (player.ponderMove != NO_MOVE) {
        char ponder[8];
        moveToString(player.ponderMove, ponder);
        printf("# ponder move: %s\n", ponder);
    }
    fflush(stdout);
    printBoard();
    if (!gameOver) gameOver = player.checkGameEnd();
    if (gameOver) {
        engineColor = NO_COLOR;
        forceMode = true;
    }
    fflush(stdout);
    if (autoMode) engineColor = Color(player.board->sideToMove);
}

// ---------------------------------------------------------------------------
// Command table and dispatch

namespace {

struct CommandEntry {
    const char* word;
    bool (WBEngine::*handler)(const Args&);
    u32 minArgs;
    u32 maxArgs;
    bool stopsSearchFirst;
};

// "eval" stops a running search first: it reads the game board, which search
// thread 0 changes when it delivers its move, and the shared pawn hash.
const CommandEntry commandTable[] = {
    {"quit", &WBEngine::cmdQuit, 0, 0, true},
    {"xboard", &WBEngine::cmdXboard, 0, 0, false},
    {"protover", &WBEngine::cmdProtover, 1, 1, false},
    {"new", &WBEngine::cmdNew, 0, 0, true},
    {"force", &WBEngine::cmdForce, 0, 0, true},
    {"ping", &WBEngine::cmdPing, 1, 1, false},
    {"usermove", &WBEngine::cmdUserMove, 1, 1, true},
    {"go", &WBEngine::cmdGo, 0, 0, true},
    {"playother", &WBEngine::cmdPlayOther, 0, 0, true},
    {"setboard", &WBEngine::cmdSetBoard, 4, 6, true},
    {"level", &WBEngine::cmdLevel, 3, 3, false},
    {"sd", &WBEngine::cmdSd, 1, 1, true},
    {"time", &WBEngine::cmdTime, 1, 1, false},
    {"undo", &WBEngine::cmdUndo, 0, 0, true},
    {"remove", &WBEngine::cmdRemove, 0, 0, true},
    {"analyze", &WBEngine::cmdAnalyze, 0, 0, true},
    {"exit", &WBEngine::cmdExit, 0, 0, true},
    {"auto", &WBEngine::cmdAuto, 0, 1, false},
    {"post", &WBEngine::cmdPost, 0, 0, false},
    {"nopost", &WBEngine::cmdNoPost, 0, 0, false},
    {"cores", &WBEngine::cmdCores, 1, 1, false},
    {"egtpath", &WBEngine::cmdEgtPath, 2, 2, false},
    {"option", &WBEngine::cmdOption, 1, 1, false},
    {"book", &WBEngine::cmdBook, 0, 0, false},
    {"nobook", &WBEngine::cmdNoBook, 0, 0, false},
    {"perft", &WBEngine::cmdPerft, 1, 1, true},
    {"divide", &WBEngine::cmdDivide, 1, 1, true},
    {"selftest", &WBEngine::cmdSelfTest, 0, 0, true},
    {"test", &WBEngine::cmdTest, 0, 1, true},
    {"eval", &WBEngine::printEvaluation, 0, 0, true},
    {"tune", &WBEngine::cmdTune, 1, 2, false},
    {"randpos", &WBEngine::cmdRandPos, 0, 2, true},
    {"randgame", &WBEngine::cmdRandGame, 0, 0, false},
    {"norandgame", &WBEngine::cmdNoRandGame, 0, 0, false},
    {"randgames", &WBEngine::cmdRandGames, 1, 1, false},
};
static_assert(sizeof(commandTable) / sizeof(commandTable[0]) == 35);

const CommandEntry* findCommand(const std::string& word) {
    for (const CommandEntry& entry : commandTable) {
        if (word == entry.word) return &entry;
    }
    return nullptr;
}

}  // namespace

bool WBEngine::dispatchCommand(const std::string& line) {
    size_t blank = line.find(' ');
    std::string word = line.substr(0, blank);
    Args args;
    if (blank != std::string::npos) args = splitString(line.substr(blank + 1), ' ');

    const CommandEntry* entry = findCommand(word);
    if (!entry) return true;  // words outside the table are ignored silently

    bool ok;
    if (args.size() < entry->minArgs) {
        printf("Error (missing arguments, expected at least %u): %s\n", entry->minArgs,
               line.c_str());
        fflush(stdout);
        ok = false;
    } else if (args.size() > entry->maxArgs) {
        printf("Error (too many arguments, expected at most %u): %s\n", entry->maxArgs,
               line.c_str());
        fflush(stdout);
        ok = false;
    } else {
        if (entry->stopsSearchFirst) {
            player.stopSearch();
            // It may change the position or a mode, or it stopped a search
            // that must run again.
            searchRan = false;
        }
        fflush(stdout);
        ok = (this->*entry->handler)(args);
    }
    if (!ok) {
        printf("# command \"%s\" returned an error code \n", line.c_str());
        fflush(stdout);
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Command loop

void WBEngine::startSearchIfEngineToMove() {
    if (gameOver || player.checkGameEnd()) {
        gameOver = true;
        engineColor = NO_COLOR;
        forceMode = true;
    }
    // A search stopped by a command (one that changes nothing, such as
    // "option" with a path) has not ended: it runs again.
    if (engineColor != player.board->sideToMove || (searchRan && !player.searchStopped)) return;
    if (player.isGameRecordFull()) {
        // No room for another ply: the engine stops playing until the game is
        // shortened ("undo", "remove") or replaced ("new", "setboard").
        printAndFlush("Error (game record full, the engine cannot move)\n");
        engineColor = NO_COLOR;
        forceMode = true;
        return;
    }
    player.prepareSearch(false);
    searchRan = true;
    player.startSearch();
}

void WBEngine::commandLoop() {
    std::string line;
    while (!quitRequested) {
        // While a search runs, thread 0 may change the board and show it itself.
        if (!player.isSearchBusy() && positionChanged) printBoard();
        if (!xboardMode) printAndFlush("# Your move: ");
        // An "auto" game goes on while the loop waits for input.
        waitForInput(player, [this] { startSearchIfEngineToMove(); });
        LineStatus status = readInputLine(stdin, line);
        if (status == LineStatus::END_OF_INPUT) {
            // A search with an end of its own delivers its move first; an
            // untimed search without a depth limit would never end.
            finishSearchAtEndOfInput(player);
            quitRequested = true;
            break;
        }
        if (status == LineStatus::TOO_LONG) {
            printf("Error (line longer than %zu characters, ignored): %.40s...\n", MAX_LINE_LENGTH,
                   line.c_str());
            fflush(stdout);
            continue;
        }
        trimLineEnd(line);
        if (!line.empty()) dispatchCommand(line);
        if (quitRequested) break;
        if (player.isSearchBusy()) continue;
        startSearchIfEngineToMove();
    }
}
