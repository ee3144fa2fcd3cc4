// The magic slider tables of the bitboard board.
#include "boardbb/magics.h"

#include <mutex>

Bitboard rookMasks[64];
Bitboard bishopMasks[64];
i32 rookShifts[64];
i32 bishopShifts[64];
i32 rookOffsets[64];
i32 bishopOffsets[64];
Bitboard sliderAttacks[SLIDER_ATTACK_SLOTS];

// Multipliers found offline by scripts/find_magics.cpp; the index width of
// each square is the number of squares in its mask.
const Magic rookMagics[64] = {
    {0x0E00102102048040ull, 12}, {0x8040001000402008ull, 11}, {0x3100090020001043ull, 11},
    {0x410004100100200Aull, 11}, {0x0100080010050002ull, 11}, {0x1300010002040008ull, 11},
    {0x4200050200442888ull, 11}, {0x01001200C6816100ull, 12}, {0x1181800040008020ull, 11},
    {0x00E0402010004004ull, 10}, {0x8020808010002000ull, 10}, {0x0101000900100020ull, 10},
    {0x0000800400080080ull, 10}, {0x0484808024000200ull, 10}, {0x0284000822840130ull, 10},
    {0x2006000204408524ull, 11}, {0x0040868000400C20ull, 11}, {0x0CC0110020408100ull, 10},
    {0x0010008010802000ull, 10}, {0x1010220008104200ull, 10}, {0x0022808008020400ull, 10},
    {0x0810080140200410ull, 10}, {0x2008010100040200ull, 10}, {0x404202001C430084ull, 11},
    {0x0240400080208000ull, 11}, {0x0800400080200084ull, 10}, {0x0400220200408010ull, 10},
    {0x0000100180080080ull, 10}, {0x0428040080080080ull, 10}, {0x8102000280040080ull, 10},
    {0x2200010080800200ull, 10}, {0x0085000100128D4Aull, 11}, {0x0090401080800028ull, 11},
    {0x0012200049401001ull, 10}, {0x0000100080802000ull, 10}, {0x1000080080801000ull, 10},
    {0x02A0040080800800ull, 10}, {0x4000800200800401ull, 10}, {0xC041102244000821ull, 10},
    {0x0900208042000114ull, 11}, {0x0040400480248000ull, 11}, {0x2180500020024000ull, 10},
    {0x1400200100410010ull, 10}, {0x0060200A00420012ull, 10}, {0x0120110008010004ull, 10},
    {0x0003000204010008ull, 10}, {0x020B000200010004ull, 10}, {0x0C01010080420004ull, 11},
    {0x0000310040800100ull, 11}, {0x0158842000400080ull, 10}, {0x0680100082E00280ull, 10},
    {0x2010004800108580ull, 10}, {0x2020040080080280ull, 10}, {0x2000020004008080ull, 10},
    {0x1200321130484400ull, 10}, {0x084084009A412200ull, 11}, {0x4080188000204101ull, 12},
    {0x0004108024400101ull, 11}, {0x4300108040082202ull, 11}, {0x0201001000042009ull, 11},
    {0x0001000208009005ull, 11}, {0x4A0100A804000241ull, 11}, {0x0008084100821004ull, 11},
    {0x0000040020944102ull, 12},
};
const Magic bishopMagics[64] = {
    {0x69C0FA480A008012ull, 6}, {0x0804040082020410ull, 5}, {0x0241010109002008ull, 5},
    {0x960404008400B8CAull, 5}, {0x4204030800500040ull, 5}, {0x0802411040000120ull, 5},
    {0x1014008808088010ull, 5}, {0x6808314D10082000ull, 6}, {0x0200880901040400ull, 5},
    {0x00302008A2004044ull, 5}, {0x4242088204002088ull, 5}, {0x0000442420830000ull, 5},
    {0x8080484840060232ull, 5}, {0x081008240421001Cull, 5}, {0x9000022801080884ull, 5},
    {0x0008020220840400ull, 5}, {0x31200008A0012202ull, 5}, {0x626020310C210044ull, 5},
    {0x0010080111002100ull, 7}, {0x0048010648110020ull, 7}, {0xC900804C08A00089ull, 7},
    {0x0200200100884001ull, 7}, {0x002400085E021080ull, 5}, {0x4400418424020800ull, 5},
    {0x10D0488204A08422ull, 5}, {0x8428C84084100083ull, 5}, {0x4014480104080010ull, 7},
    {0x950C080000A20040ull, 9}, {0x0142002002008042ull, 9}, {0x4010204126080201ull, 7},
    {0x0009120000425000ull, 5}, {0x0044130000804138ull, 5}, {0x0088201040880280ull, 5},
    {0x0188828800204800ull, 5}, {0x0000402810100048ull, 7}, {0x0402004042940100ull, 9},
    {0x2104204010040100ull, 9}, {0x00008A0880041000ull, 7}, {0x6481182500808400ull, 5},
    {0x2002004908004C00ull, 5}, {0x000088200A001000ull, 5}, {0x0411082104001001ull, 5},
    {0x0840410401004080ull, 7}, {0x84100A0212001400ull, 7}, {0x4100080104000041ull, 7},
    {0x0040100048402481ull, 7}, {0x102052008A200900ull, 5}, {0x0004081081000830ull, 5},
    {0x0114010CC2200000ull, 5}, {0x010484042202A800ull, 5}, {0x0022020084440841ull, 5},
    {0x0802481020880008ull, 5}, {0x210140A405041001ull, 5}, {0x00000922080A0400ull, 5},
    {0x0AC1080800808200ull, 5}, {0x0002241400A20004ull, 5}, {0x100304010108022Aull, 6},
    {0x0008320212220200ull, 5}, {0x0084000888480808ull, 5}, {0x8008880040460800ull, 5},
    {0x8800010104450400ull, 5}, {0x01202008E1280680ull, 5}, {0x0280080288120C20ull, 5},
    {0x1030121A0801A902ull, 6},
};

namespace {

// The mask's i-th lowest square is in the subset when bit i of k is set.
Bitboard subsetOf(Bitboard mask, u32 k) {
    Bitboard subset = 0;
    for (u32 i = 0; mask; ++i) {
        const int sq = popLowest(mask);
        if (k & (1u << i)) subset |= squareBit(sq);
    }
    return subset;
}

void buildSliderTables() {
    i32 offset = 0;
    for (int sq = 0; sq < 64; ++sq) {
        Bitboard mask = rookRays[sq];
        if (fileOf(sq) != 0) mask &= ~FILE_A;
        if (fileOf(sq) != 7) mask &= ~FILE_H;
        if (rankOf(sq) != 0) mask &= ~RANK_1;
        if (rankOf(sq) != 7) mask &= ~RANK_8;
        rookMasks[sq] = mask;
        rookShifts[sq] = 64 - i32(rookMagics[sq].bits);
        rookOffsets[sq] = offset;
        for (u32 k = 0; k < (1u << rookMagics[sq].bits); ++k) {
            const Bitboard occ = subsetOf(mask, k);
            sliderAttacks[rookOffsets[sq] + ((occ * rookMagics[sq].multiplier) >> rookShifts[sq])] =
                rookAttacksSlow(sq, occ);
        }
        offset += i32(1) << rookMagics[sq].bits;
    }
    for (int sq = 0; sq < 64; ++sq) {
        const Bitboard mask = bishopRays[sq] & 0x007E7E7E7E7E7E00ull;
        bishopMasks[sq] = mask;
        bishopShifts[sq] = 64 - i32(bishopMagics[sq].bits);
        bishopOffsets[sq] = offset;
        for (u32 k = 0; k < (1u << bishopMagics[sq].bits); ++k) {
            const Bitboard occ = subsetOf(mask, k);
            sliderAttacks[bishopOffsets[sq] + ((occ * bishopMagics[sq].multiplier) >>
                                               bishopShifts[sq])] = bishopAttacksSlow(sq, occ);
        }
        offset += i32(1) << bishopMagics[sq].bits;
    }
}

std::once_flag sliderTablesOnce;

}  // namespace

void initSliderTables() {
    initAttackTables();  // the masks are cut from the rays
    std::call_once(sliderTablesOnce, buildSliderTables);
}
