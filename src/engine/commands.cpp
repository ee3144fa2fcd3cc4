// Handlers of the game commands: modes, moves, set-up and take-backs.
#include <cstdio>
#include <string>

#include "engine/settings.h"
#include "engine/wbengine.h"

namespace {

std::string featureLines(const ChessPlayer& p) {
    std::string s =
        "feature ping=1\n"
        "feature setboard=1\n"
        "feature playother=1\n"
        "feature usermove=1\n"
        "feature colors=0\n"
        "feature sigint=0\n"
        "feature sigterm=0\n"
        "feature analyze=1\n"
        "feature name=0\n"
        "feature nps=0\n"
        "feature debug=1\n"
        "feature egt=\"gaviota\"\n"
        "feature smp=1\n"
        "feature variants=\"normal\"\n";
    s += "feature option=\"ttHashSizeMB -spin " + std::to_string(p.ttHashSizeMBInUse) +
         " 1 2048\"\n";
    s += "feature option=\"pawnHashSizeMB -spin " + std::to_string(p.pawnHashSizeMBInUse) +
         " 1 2048\"\n";
    s += "feature option=\"gtbCacheSizeMB -spin " + std::to_string(p.gtbCacheSizeMB) + " 0 256\"\n";
    s += std::string("feature option=\"gtbPath -path ") + p.gtbPath + "\"\n";
    s += std::string("feature option=\"bookFilePath -path ") + p.bookFilePath + "\"\n";
    s += "feature myname=\"" TALUN_ENGINE_NAME " " TALUN_VERSION "\"\n";
    return s;
}

}  // namespace

bool WBEngine::cmdQuit(const Args&) {
    quitRequested = true;
    return true;
}

bool WBEngine::cmdXboard(const Args&) {
    printAndFlush("\n");
    xboardMode = true;
    return true;
}

bool WBEngine::cmdProtover(const Args&) {
    printAndFlush(featureLines(player));
    // A running search uses the tables; their resizing then waits for the
    // preparation at the next search start.
    if (!player.isSearchBusy()) player.prepareSearch(false);
    printAndFlush("feature done=1\n");
    return true;
}

bool WBEngine::cmdNew(const Args&) {
    player.prepareSearch(true);
    player.board->setFEN(START_FEN);
    player.plyCount = 0;
    player.outOfBook = 0;
    player.randomMoveMode = 0;
    gameOver = false;
    forceMode = false;
    autoMode = false;
    positionChanged = true;
    clock.stop();
    clock.elapsed = 0;
    clock.startStamp = 0;
    clock.timeControlOn = 1;
    clock.depthLimitOn = 0;
    clock.movesPerSession = 40;
    clock.timePerSession = 30000;
    clock.increment = 0;
    if (analyzeMode) {
        engineColor = WHITE;
        clock.timeControlOn = 0;
    } else {
        engineColor = BLACK;
    }
    printBoard();
    return true;
}

bool WBEngine::cmdForce(const Args&) {
    clock.stop();
    engineColor = NO_COLOR;
    forceMode = true;
    autoMode = false;
    return true;
}

bool WBEngine::cmdPing(const Args& a) {
    printf("pong %lld\n", (long long)parseNumberLikeAtoi(a[0].c_str()));
    fflush(stdout);
    return true;
}

bool WBEngine::cmdUserMove(const Args& a) {
    const std::string& text = a[0];
    if (gameOver) {
        printAndFlush("Error (cannot make a move at end of game)\n");
        return false;
    }
    if (text.size() < 4 || text.size() > 5) {
        printAndFlush("Error (illegal argument to 'usermove' command): " + text + "\n");
        return false;
    }
    Move move = NO_MOVE;
    if (!player.parseMove(text.c_str(), move)) {
        printAndFlush("Error (illegal move): " + text + "\n");
        return false;
    }
    if (player.isGameRecordFull()) {
        printAndFlush("Error (game record full): " + text + "\n");
        return false;
    }
    printAndFlush("# making user move: " + text + "\n");
    player.playGameMove(move);
    positionChanged = true;
    if (!forceMode || analyzeMode) engineColor = Color(player.board->sideToMove);
    printBoard();
    return true;
}

bool WBEngine::cmdGo(const Args&) {
    if (gameOver) {
        printAndFlush("Error (cannot make a move at end of game)\n");
        return false;
    }
    forceMode = false;
    analyzeMode = false;
    engineColor = Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdPlayOther(const Args&) {
    forceMode = false;
    analyzeMode = false;
    engineColor = ~Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdSetBoard(const Args& a) {
    std::string fen = a[0];
    for (size_t i = 1; i < a.size(); i++) fen += " " + a[i];
    // A refused text leaves the position, the game record and the modes alone.
    // The interface must hear of it: it would otherwise go on as if the new
    // position stood, and send moves that are illegal in the old one.
    if (!player.board->setFEN(fen.c_str())) {
        printAndFlush("tellusererror Illegal position\n");
        return false;
    }
    // The set-up starts a new game record: take-backs never reach before it.
    player.plyCount = 0;
    positionChanged = true;
    gameOver = false;
    if (analyzeMode) {
        engineColor = Color(player.board->sideToMove);
    } else {
        forceMode = true;
        engineColor = NO_COLOR;
    }
    return true;
}

bool WBEngine::cmdUndo(const Args&) {
    if (player.plyCount == 0) return false;
    player.takeBackGameMove();
    positionChanged = true;
    gameOver = false;
    if (analyzeMode) engineColor = Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdRemove(const Args&) {
    if (player.plyCount < 2) return false;
    player.takeBackGameMove();
    player.takeBackGameMove();
    positionChanged = true;
    gameOver = false;
    if (analyzeMode) engineColor = Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdAnalyze(const Args&) {
    if (analyzeMode) return true;
    analyzeMode = true;
    clock.timeControlOn = 0;
    clock.depthLimitOn = 0;
    engineColor = Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdExit(const Args&) {
    if (!analyzeMode) return false;
    analyzeMode = false;
    clock.timeControlOn = 1;
    clock.depthLimitOn = 0;
    engineColor = NO_COLOR;
    return true;
}

bool WBEngine::cmdAuto(const Args& a) {
    if (!a.empty()) return false;
    // The engine's move writes the same modes and the board; let it finish first.
    player.stopSearch();
    searchRan = false;
    autoMode = true;
    forceMode = false;
    analyzeMode = false;
    engineColor = Color(player.board->sideToMove);
    return true;
}

bool WBEngine::cmdPost(const Args&) {
    player.postThinking = 1;
    return true;
}

bool WBEngine::cmdNoPost(const Args&) {
    player.postThinking = 0;
    return true;
}

bool WBEngine::cmdBook(const Args&) {
    player.bookEnabled = 1;
    return true;
}

bool WBEngine::cmdNoBook(const Args&) {
    player.bookEnabled = 0;
    return true;
}

bool WBEngine::cmdRandGame(const Args&) {
    player.randomMoveMode = 1;
    return true;
}

bool WBEngine::cmdNoRandGame(const Args&) {
    player.randomMoveMode = 0;
    return true;
}
