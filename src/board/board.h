// The board class of this program, chosen when it is built.
#pragma once

#ifdef TALUN_BOARD_0X88
#include "board0x88/board_0x88.h"
using Board = Board_0x88;
#define TALUN_ENGINE_NAME "Talun"
#else
#include "boardbb/board_bb64.h"
using Board = Board_BB64;
#define TALUN_ENGINE_NAME "TalunBB"
#endif
