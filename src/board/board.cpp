#include "board/board_bb64.h"
