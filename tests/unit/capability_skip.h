// Shared tests run on every board kind; a test about a capability that a
// board lacks skips itself there.
#pragma once

#include <gtest/gtest.h>

#include "board/board.h"

#define TALUN_SKIP_UNLESS(capability) \
    if constexpr (!(capability)) GTEST_SKIP() << "the board lacks " #capability
