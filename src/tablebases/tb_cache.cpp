// The cache of decoded blocks: each node holds the 16384 packed values of one
// file block for one side to move, on a most-recently-used list. A hash index
// from (endgame, side, block) to the node finds a block without walking the
// list, which a large cache would make slow.
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

// Open addressing with linear probing; deletion shifts entries back, so no
// tombstones build up. Twice as many slots as nodes.
struct BlockHash {
    i32* slots = nullptr;  // node number, -1 empty
    u32 mask = 0;
};

struct BlockCache {
    bool on = false;
    BlockHash hash;
    u32 capacity = 0;
    u32 used = 0;
    PackedValue* entries = nullptr;
    CacheNode* nodes = nullptr;
    CacheNode* head = nullptr;
    CacheNode* tail = nullptr;
};

BlockCache g_cache;

// Blocks per side stay below 32768 (the largest endgame has 24576).
u32 blockKey(i32 id, i32 side, i32 blockStart) {
    return (u32(id) * 2 + u32(side)) << 15 | u32(blockStart) / ENTRIES_PER_BLOCK;
}

u32 nodeKey(const CacheNode& n) {
    return blockKey(n.id, n.side, n.blockStart);
}

u32 home(u32 key) {
    return (key * 2654435761u >> 7) & g_cache.hash.mask;
}

CacheNode* hashFind(u32 key) {
    const BlockHash& h = g_cache.hash;
    for (u32 i = home(key);; i = (i + 1) & h.mask) {
        if (h.slots[i] < 0) return nullptr;
        CacheNode* n = &g_cache.nodes[h.slots[i]];
        if (nodeKey(*n) == key) return n;
    }
}

void hashInsert(const CacheNode* n) {
    const BlockHash& h = g_cache.hash;
    u32 i = home(nodeKey(*n));
    while (h.slots[i] >= 0) i = (i + 1) & h.mask;
    h.slots[i] = i32(n - g_cache.nodes);
}

void hashErase(const CacheNode* n) {
    const BlockHash& h = g_cache.hash;
    const i32 number = i32(n - g_cache.nodes);
    u32 i = home(nodeKey(*n));
    while (h.slots[i] != number) i = (i + 1) & h.mask;
    // Move back every later entry of the run whose home does not lie in (i, j].
    for (u32 j = (i + 1) & h.mask; h.slots[j] >= 0; j = (j + 1) & h.mask) {
        const u32 k = home(nodeKey(g_cache.nodes[h.slots[j]]));
        const bool stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (stays) continue;
        h.slots[i] = h.slots[j];
        i = j;
    }
    h.slots[i] = -1;
}

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
    CacheNode* n = hashFind(blockKey(id, side, start));
    if (!n) return false;
    value = n->entries[index % ENTRIES_PER_BLOCK];
    if (n != c.head) {
        unlink(n);
        pushHead(n);
    }
    return true;
}

bool tbCacheLoadBlock(int id, int side, u32 index) {
    if (!g_cache.on) return false;
    CacheNode* node = chooseNode();
    if (node->id >= 0) hashErase(node);
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
    hashInsert(node);
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
    u32 slots = 2;
    while (slots < 2 * capacity) slots *= 2;
    c.hash.slots = new (std::nothrow) i32[slots];
    c.hash.mask = slots - 1;
    if (!c.entries || !c.nodes || !c.hash.slots) {
        tbBlockCacheFree();
        return;
    }
    std::fill(c.hash.slots, c.hash.slots + slots, -1);
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
    delete[] c.hash.slots;
    c = BlockCache{};
}
