// Finds magic multipliers for the rook and bishop slider tables and prints
// them as the two constant tables of src/board/tables.cpp.
//
//   g++ -O2 -std=c++20 -o /tmp/find_magics scripts/find_magics.cpp && /tmp/find_magics
//
// Every square's index width equals the number of squares in its mask, so a
// multiplier is good when every subset of the mask lands on its own slot or on
// a slot that holds the same attack set. Five rows per table are fixed in
// advance (a1, b1, h1, d4, h8); they are checked, not searched. The search uses
// a fixed seed, so the output is the same on every run.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

using u64 = std::uint64_t;

static u64 rngState = 0x9E3779B97F4A7C15ull;
static u64 nextRandom() {  // xorshift64*
    rngState ^= rngState >> 12;
    rngState ^= rngState << 25;
    rngState ^= rngState >> 27;
    return rngState * 2685821657736338717ull;
}
static u64 sparseRandom() {
    return nextRandom() & nextRandom() & nextRandom();
}

static u64 walk(int sq, u64 occ, const int (*dirs)[2]) {
    u64 attacks = 0;
    for (int d = 0; d < 4; ++d) {
        int f = sq % 8 + dirs[d][0], r = sq / 8 + dirs[d][1];
        while (f >= 0 && f < 8 && r >= 0 && r < 8) {
            attacks |= u64(1) << (r * 8 + f);
            if (occ & (u64(1) << (r * 8 + f))) break;
            f += dirs[d][0];
            r += dirs[d][1];
        }
    }
    return attacks;
}

static const int ROOK_DIRS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
static const int BISHOP_DIRS[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

static u64 rookMask(int sq) {
    u64 rays = walk(sq, 0, ROOK_DIRS);
    const u64 fileA = 0x0101010101010101ull, fileH = fileA << 7, rank1 = 0xFFull,
              rank8 = rank1 << 56;
    if (sq % 8 != 0) rays &= ~fileA;
    if (sq % 8 != 7) rays &= ~fileH;
    if (sq / 8 != 0) rays &= ~rank1;
    if (sq / 8 != 7) rays &= ~rank8;
    return rays;
}
static u64 bishopMask(int sq) {
    return walk(sq, 0, BISHOP_DIRS) & 0x007E7E7E7E7E7E00ull;
}

struct Subsets {
    std::vector<u64> occ, attacks;
};

static Subsets subsets(int sq, u64 mask, const int (*dirs)[2]) {
    Subsets s;
    u64 sub = 0;
    do {  // Carry-Rippler enumeration of every subset of the mask
        s.occ.push_back(sub);
        s.attacks.push_back(walk(sq, sub, dirs));
        sub = (sub - mask) & mask;
    } while (sub);
    return s;
}

static bool works(u64 magic, int bits, const Subsets& s) {
    std::vector<u64> table(size_t(1) << bits, 0);
    std::vector<bool> used(size_t(1) << bits, false);
    for (size_t i = 0; i < s.occ.size(); ++i) {
        size_t idx = size_t((s.occ[i] * magic) >> (64 - bits));
        if (!used[idx]) {
            used[idx] = true;
            table[idx] = s.attacks[i];
        } else if (table[idx] != s.attacks[i]) {
            return false;
        }
    }
    return true;
}

static bool findTable(const char* name, u64 (*maskOf)(int), const int (*dirs)[2],
                      const std::map<int, u64>& fixed) {
    std::printf("const Magic %s[64] = {\n", name);
    for (int sq = 0; sq < 64; ++sq) {
        u64 mask = maskOf(sq);
        int bits = __builtin_popcountll(mask);
        Subsets s = subsets(sq, mask, dirs);
        u64 magic;
        auto it = fixed.find(sq);
        if (it != fixed.end()) {
            magic = it->second;
            if (!works(magic, bits, s)) {
                std::fprintf(stderr, "%s: given multiplier of square %d fails\n", name, sq);
                return false;
            }
        } else {
            do {
                magic = sparseRandom();
            } while (__builtin_popcountll((mask * magic) & 0xFF00000000000000ull) < 6 ||
                     !works(magic, bits, s));
        }
        std::printf("    {0x%016" PRIX64 "ull, %d},%s", magic, bits, sq % 2 ? "\n" : " ");
    }
    std::printf("};\n");
    return true;
}

int main() {
    const std::map<int, u64> rookFixed = {{0, 0x0E00102102048040ull},
                                          {1, 0x8040001000402008ull},
                                          {7, 0x01001200C6816100ull},
                                          {27, 0x0000100180080080ull},
                                          {63, 0x0000040020944102ull}};
    const std::map<int, u64> bishopFixed = {{0, 0x69C0FA480A008012ull},
                                            {1, 0x0804040082020410ull},
                                            {7, 0x6808314D10082000ull},
                                            {27, 0x950C080000A20040ull},
                                            {63, 0x1030121A0801A902ull}};
    if (!findTable("rookMagics", rookMask, ROOK_DIRS, rookFixed)) return 1;
    if (!findTable("bishopMagics", bishopMask, BISHOP_DIRS, bishopFixed)) return 1;
    return 0;
}
