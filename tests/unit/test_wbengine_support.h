// A WBEngine with its board at the start position and 1 MB hash tables, for
// tests of the command handlers and of whole searches through the engine.
#pragma once

#include "engine/wbengine.h"

struct EngineWithBoard {
    WBEngine engine;
    EngineWithBoard() {
        engine.player.board = new Board();
        engine.player.board->resetBoard();
        engine.player.board->setFEN(START_FEN);
        engine.player.ttHashSizeMB = 1;
        engine.player.pawnHashSizeMB = 1;
    }
};
