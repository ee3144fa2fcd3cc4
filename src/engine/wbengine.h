// WBEngine: the protocol side. Command handlers take the argument list and
// return false on failure; the command loop then prints the error-code line.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "search/clock.h"
#include "search/chess_player.h"

using Args = std::vector<std::string>;

class WBEngine : public EngineInterface {
   public:
    WBEngine();
    void makeEngineMove(Move move) override;
    void printBoard();

    bool cmdQuit(const Args& a);
    bool cmdXboard(const Args& a);
    bool cmdProtover(const Args& a);
    bool cmdNew(const Args& a);
    bool cmdForce(const Args& a);
    bool cmdPing(const Args& a);
    bool cmdUserMove(const Args& a);
    bool cmdGo(const Args& a);
    bool cmdPlayOther(const Args& a);
    bool cmdSetBoard(const Args& a);
    bool cmdLevel(const Args& a);
    bool cmdSd(const Args& a);
    bool cmdTime(const Args& a);
    bool cmdUndo(const Args& a);
    bool cmdRemove(const Args& a);
    bool cmdAnalyze(const Args& a);
    bool cmdExit(const Args& a);
    bool cmdAuto(const Args& a);
    bool cmdPost(const Args& a);
    bool cmdNoPost(const Args& a);
    bool cmdCores(const Args& a);
    bool cmdEgtPath(const Args& a);
    bool cmdOption(const Args& a);
    bool cmdBook(const Args& a);
    bool cmdNoBook(const Args& a);
    bool cmdPerft(const Args& a);   // engine/cmd_perft.cpp
    bool cmdDivide(const Args& a);  // engine/cmd_perft.cpp
    bool cmdSelfTest(const Args& a);
    bool cmdTest(const Args& a);
    bool printEvaluation(const Args& a);  // engine/cmd_eval.cpp
    bool cmdTune(const Args& a);
    bool cmdRandPos(const Args& a);
    bool cmdRandGame(const Args& a);
    bool cmdNoRandGame(const Args& a);
    bool cmdRandGames(const Args& a);

    // Runs the command loop on standard input until "quit" or the end of input.
    void commandLoop();
    // Splits one non-empty input line and runs its command; false when it failed.
    bool dispatchCommand(const std::string& line);

    Clock clock;
    ChessPlayer player;
    // Search thread 0 writes these when it delivers its move (makeEngineMove)
    // while the command loop may read them, hence atomics.
    std::atomic<Color> engineColor{NO_COLOR};
    std::atomic<bool> gameOver{false};
    std::atomic<bool> forceMode{false};
    std::atomic<bool> positionChanged{true};
    bool xboardMode = false;
    std::atomic<bool> analyzeMode{false};
    std::atomic<bool> autoMode{false};
    bool quitRequested = false;

   private:
    // Records and makes a move of the side to move in the game record.
    void playMove(Move move);
    // Takes back the last ply of the game record; false when there is none.
    bool takeBackPly();
    void startSearchIfEngineToMove();
};

// Splits text at every separator; empty pieces between two separators stay,
// an empty last piece is dropped, an empty text gives no pieces.
Args splitString(const std::string& text, char separator);
