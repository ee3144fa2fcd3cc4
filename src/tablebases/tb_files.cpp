// Tablebase files: naming, the pool of open files, the block offset tables,
// and the meaning of a stored byte. Files are untrusted input: every header
// field is checked before it is used.
#include <cstring>
#include <new>

#include "platform/regular_file.h"
#include "tablebases/tb_internal.h"

namespace tb {

namespace {

constexpr u32 HEADER_WORDS = 10;
constexpr u32 HEADER_BYTES = HEADER_WORDS * 4;

bool fileSize(std::FILE* file, long& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    size = std::ftell(file);
    return size >= 0;
}

void closeOldestFile() {
    Prober& p = prober();
    if (p.openCount == 0) return;
    EndgameEntry& e = endgameTable()[p.openIds[0]];
    if (e.file) std::fclose(e.file);
    e.file = nullptr;
    for (u32 i = 1; i < p.openCount; ++i) p.openIds[i - 1] = p.openIds[i];
    --p.openCount;
}

}  // namespace

bool tbFindIdByName(const u8* whiteKinds, const u8* blackKinds, int& id) {
    // The name as a number: its letters (kinds 1..6) as base-7 digits.
    u32 code = 0, n = 0;
    for (const u8* kinds : {whiteKinds, blackKinds})
        for (u32 i = 0; kinds[i] != 0; ++i) {
            if (n == MAX_MEN || kinds[i] > 6) return false;
            code = code * 7 + kinds[i];
            ++n;
        }
    Prober& p = prober();
    // Only a first guess: any whole id is fine, whichever thread wrote it.
    const i32 last = p.lastFoundId.load(std::memory_order_relaxed);
    if (last >= 0 && last < ENDGAME_COUNT && endgameCode(last) == code) {
        id = last;
        return true;
    }
    const int found = endgameIdOfCode(code);
    if (found < 0) return false;
    p.lastFoundId.store(found, std::memory_order_relaxed);
    id = found;
    return true;
}

std::string tbFilePath(const std::string& directory, const char* name, int scheme) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    path += ".gtb";
    if (scheme != 0) path += ".cp" + std::to_string(scheme);
    return path;
}

bool tbOpenFile(int id) {
    Prober& p = prober();
    EndgameEntry& e = endgameTable()[id];
    if (e.file) return true;
    if (p.openCount >= p.poolSize) closeOldestFile();
    const int count = int(p.paths.size());
    for (int step = 0; step < count; ++step) {
        const int dir = (e.nextPath + step) % count;
        // Anything but a regular file under the name (a FIFO that would hold
        // the set-up until a writer came, a directory) counts as missing.
        std::FILE* f = openRegularFile(tbFilePath(p.paths[dir], e.name, p.scheme).c_str());
        if (!f) continue;
        p.openIds[p.openCount++] = id;
        e.file = f;
        e.nextPath = (dir + 1) % count;
        return true;
    }
    return false;
}

void tbCloseAllFiles() {
    Prober& p = prober();
    while (p.openCount > 0) closeOldestFile();
}

bool tbReadU32(std::FILE* file, u32& value) {
    u8 b[4];
    if (std::fread(b, 1, 4, file) != 4) return false;
    value = u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24;
    return true;
}

bool tbLoadBlockIndex(int id) {
    Prober& p = prober();
    BlockIndex& bi = p.blockIndex[id];
    if (p.uncompressed || bi.offsets) return true;
    EndgameEntry& e = endgameTable()[id];
    if (!e.file) return false;
    long size = 0;
    if (!fileSize(e.file, size) || std::fseek(e.file, 0, SEEK_SET) != 0) return false;
    u32 header[HEADER_WORDS];
    for (u32& word : header)
        if (!tbReadU32(e.file, word)) return false;
    // The table must hold the 2B + 1 offsets of both sides' blocks and fit the file.
    const u32 end = header[8];
    if (end < HEADER_BYTES || (end - HEADER_BYTES) % 4 != 0 || long(end) > size) return false;
    const u32 count = (end - HEADER_BYTES) / 4;
    if (count < 2 * blocksPerSide(e.maxIndex) + 1) return false;
    u32* offsets = new (std::nothrow) u32[count];
    if (!offsets) return false;
    bool ok = true;
    for (u32 i = 0; i < count && ok; ++i)
        ok = tbReadU32(e.file, offsets[i]) && offsets[i] >= end && long(offsets[i]) <= size &&
             (i == 0 || offsets[i] > offsets[i - 1]);
    if (!ok) {
        delete[] offsets;
        return false;
    }
    bi.base = 0;
    bi.count = i32(count);
    bi.offsets = offsets;
    return true;
}

void tbFreeBlockIndexes() {
    for (BlockIndex& bi : prober().blockIndex) {
        delete[] bi.offsets;
        bi = BlockIndex{};
    }
}

bool tbSeekBlock(int id, u32 block) {
    Prober& p = prober();
    EndgameEntry& e = endgameTable()[id];
    if (!e.file) return false;
    long position;
    if (p.uncompressed) {
        const u32 b = blocksPerSide(e.maxIndex);
        position = block < b ? long(ENTRIES_PER_BLOCK) * block
                             : long(e.maxIndex) + long(ENTRIES_PER_BLOCK) * (block - b);
    } else {
        const BlockIndex& bi = p.blockIndex[id];
        if (!bi.offsets || i64(block) >= bi.count) return false;
        position = long(bi.base) + long(bi.offsets[block]);
    }
    return std::fseek(e.file, position, SEEK_SET) == 0;
}

PackedValue tbDecodeStoredValue(int side, u8 stored) {
    auto pack = [](u32 plies, u32 outcome) { return PackedValue(plies << 3 | outcome); };
    if (stored == 0) return pack(0, 0);
    if (stored == 3) return pack(0, 3);
    if (side == 1 && stored == 252) return pack(254, 1);
    const u32 n = stored >> 2;
    const bool white = side == 0;
    switch (stored & 3) {
        case 1:
            return white ? pack(2 * n + 1, 1) : pack(2 * n, 1);
        case 2:
            return white ? pack(2 * n, 2) : pack(2 * n + 1, 2);
        case 0:
            return pack(2 * n + 127, white ? 1 : 2);
        default:
            return pack(2 * n + 126, white ? 2 : 1);
    }
}

}  // namespace tb
