// The cache of decoded blocks: each node holds the 16384 packed values of one
// file block for one side to move, on a most-recently-used list.
#include <algorithm>
#include <new>

#include "tablebases/tablebases.h"
#include "tablebases/tb_internal.h"

namespace tb {

namespace {

struct CacheNode {
    i32 id = -1;
    i32 side = -1;
    i32 blockStart = -1;
    PackedValue* entries = nullptr;
    CacheNode* next = nullptr;  // towards the tail (less recently used)
    CacheNode* prev = nullptr;
};

struct BlockCache {
    bool on = false;
    u32 capacity = 0;
    u32 used = 0;
    PackedValue* entries = nullptr;
    CacheNode* nodes = nullptr;
    CacheNode* head = nullptr;
    CacheNode* tail = nullptr;
};

BlockCache g_cache;

void unlink(CacheNode* n) {
    if (n->prev)
        n->prev->next = n->next;
    else
        g_cache.head = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        g_cache.tail = n->prev;
    n->prev = n->next = nullptr;
}

void pushHead(CacheNode* n) {
    n->prev = nullptr;
    n->next = g_cache.head;
    if (g_cache.head) g_cache.head->prev = n;
    g_cache.head = n;
    if (!g_cache.tail) g_cache.tail = n;
}

CacheNode* chooseNode() {
    BlockCache& c = g_cache;
    if (c.used == 0) {
        c.used = 1;
        pushHead(&c.nodes[0]);
        return &c.nodes[0];
    }
    if (c.head->id < 0) return c.head;  // a failed load left it empty
    if (c.used < c.capacity) {
        CacheNode* n = &c.nodes[c.used++];
        pushHead(n);
        return n;
    }
    CacheNode* n = c.tail;
    if (c.capacity > 1) {
        unlink(n);
        pushHead(n);
    }
    return n;
}

bool readAndDecode(int id, u32 block, u32 count) {
    Prober& p = prober();
    EndgameEntry& e = endgameTable()[id];
    if (!e.file && !tbOpenFile(id)) return false;
    if (p.uncompressed) {
        return tbSeekBlock(id, block) && std::fread(p.outputBuffer, 1, count, e.file) == count;
    }
    // A block index that failed to load is never read through.
    if (!tbLoadBlockIndex(id)) return false;
    const BlockIndex& bi = p.blockIndex[id];
    if (i64(block) + 1 >= bi.count) return false;
    const u32 length = bi.offsets[block + 1] - bi.offsets[block];
    if (length < 1 || length > BUFFER_SIZE) return false;
    if (!tbSeekBlock(id, block) || std::fread(p.readBuffer, 1, length, e.file) != length)
        return false;
    return tbDecodeBlock(p.scheme, p.readBuffer + 1, length - 1, p.outputBuffer, count);
}

}  // namespace

bool tbCacheOn() {
    return g_cache.on;
}

bool tbCacheGet(int id, int side, u32 index, PackedValue& value) {
    BlockCache& c = g_cache;
    if (!c.on) return false;
    const i32 start = i32(index / ENTRIES_PER_BLOCK * ENTRIES_PER_BLOCK);
    for (CacheNode* n = c.head; n; n = n->next) {
        if (n->id != id || n->side != side || n->blockStart != start) continue;
        value = n->entries[index % ENTRIES_PER_BLOCK];
        if (n != c.head) {
            unlink(n);
            pushHead(n);
        }
        return true;
    }
    return false;
}

bool tbCacheLoadBlock(int id, int side, u32 index) {
    if (!g_cache.on) return false;
    CacheNode* node = chooseNode();
    node->id = node->side = node->blockStart = -1;
    const EndgameEntry& e = endgameTable()[id];
    const u32 blockStart = index / ENTRIES_PER_BLOCK * ENTRIES_PER_BLOCK;
    const u32 block = blocksPerSide(e.maxIndex) * u32(side) + index / ENTRIES_PER_BLOCK;
    const u32 count = std::min(ENTRIES_PER_BLOCK, e.maxIndex - blockStart);
    if (!readAndDecode(id, block, count)) return false;
    const u8* bytes = prober().outputBuffer;
    for (u32 i = 0; i < count; ++i) node->entries[i] = tbDecodeStoredValue(side, bytes[i]);
    node->id = id;
    node->side = side;
    node->blockStart = i32(blockStart);
    return true;
}

bool tbReadStoredValue(int id, int side, u32 index, PackedValue& value) {
    Prober& p = prober();
    if (!p.uncompressed) return false;
    EndgameEntry& e = endgameTable()[id];
    if (!e.file && !tbOpenFile(id)) return false;
    u8 byte;
    if (std::fseek(e.file, long(e.maxIndex) * side + long(index), SEEK_SET) != 0 ||
        std::fread(&byte, 1, 1, e.file) != 1)
        return false;
    value = tbDecodeStoredValue(side, byte);
    return true;
}

}  // namespace tb

using namespace tb;

void tbBlockCacheCreate(u32 cacheSizeMB) {
    tbBlockCacheFree();
    u32 capacity = cacheSizeMB * 8;
    if (capacity == 0) {
        if (prober().uncompressed) return;
        capacity = 1;
    }
    BlockCache& c = g_cache;
    c.entries = new (std::nothrow) PackedValue[size_t(capacity) * ENTRIES_PER_BLOCK];
    c.nodes = new (std::nothrow) CacheNode[capacity];
    if (!c.entries || !c.nodes) {
        tbBlockCacheFree();
        return;
    }
    for (u32 i = 0; i < capacity; ++i)
        c.nodes[i].entries = c.entries + size_t(i) * ENTRIES_PER_BLOCK;
    c.capacity = capacity;
    c.used = 0;
    c.on = true;
}

void tbBlockCacheFree() {
    BlockCache& c = g_cache;
    delete[] c.entries;
    delete[] c.nodes;
    c = BlockCache{};
}
