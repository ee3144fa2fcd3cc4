// Shared tests run on every board kind; a test about a capability that a
// board lacks skips itself there.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/board.h"

#define TALUN_SKIP_UNLESS(capability) \
    if constexpr (!(capability)) GTEST_SKIP() << "the board lacks " #capability

// The FEN text of a position; empty on a board without a FEN writer (a
// template, so that such a board never compiles the call).
template <class B>
std::string fenOf(const B& board) {
    if constexpr (B::HAS_FEN_WRITER) {
        char buffer[100];
        board.getFEN(buffer);
        return buffer;
    } else {
        return "";
    }
}
