// Block decoders by compression scheme. Stored blocks are untrusted: every
// decoder must produce exactly the block's entry count from exactly the
// block's stored bytes and never reads or writes outside its buffers. Input
// left over means the data is not what it seems: all-zero LZMA data, for one,
// decodes to a block of draws from its first few bytes.
#include <lzf.h>
#include <lzma.h>
#include <zlib.h>

#include <cstring>

#include "tablebases/tb_internal.h"

namespace tb {

namespace {

// ---- scheme 1: Huffman code with the tree at the head of the bit stream

constexpr u32 MAX_TREE_NODES = 512;

struct HuffmanNode {
    u16 child[2];
    u8 symbol;
    bool leaf;
};

class BitReader {
   public:
    BitReader(const u8* data, u32 length) : data_(data), bits_(u64(length) * 8) {}
    bool read(u32& bit) {
        if (position_ >= bits_) return false;
        bit = (data_[position_ >> 3] >> (position_ & 7)) & 1;
        ++position_;
        return true;
    }
    // Nothing is left but the last byte's padding. The files' blocks end
    // with a byte that holds 1 to 8 unused bits (a stream that ends on a
    // byte boundary is followed by one empty byte), so 8 bits may remain.
    bool used() const { return bits_ - position_ <= 8; }

   private:
    const u8* data_;
    u64 bits_;
    u64 position_ = 0;
};

struct HuffmanTree {
    HuffmanNode nodes[MAX_TREE_NODES];
    u32 count = 0;
};

// Reads one subtree in pre-order; its node number in `node`. The node limit
// also bounds the recursion depth.
bool tbHuffmanBuildTree(BitReader& bits, HuffmanTree& tree, u16& node) {
    if (tree.count == MAX_TREE_NODES) return false;
    node = u16(tree.count++);
    u32 bit;
    if (!bits.read(bit)) return false;
    HuffmanNode& n = tree.nodes[node];
    n.leaf = bit == 1;
    if (n.leaf) {
        u32 symbol = 0;
        for (u32 i = 0; i < 8; ++i) {
            if (!bits.read(bit)) return false;
            symbol |= bit << i;
        }
        n.symbol = u8(symbol);
        return true;
    }
    u16 first, second;
    if (!tbHuffmanBuildTree(bits, tree, first) || !tbHuffmanBuildTree(bits, tree, second))
        return false;
    tree.nodes[node].child[0] = first;
    tree.nodes[node].child[1] = second;
    return true;
}

bool decodeHuffman(const u8* in, u32 length, u8* out, u32 count) {
    if (length < 4) return false;
    const u32 declared = u32(in[0]) | u32(in[1]) << 8 | u32(in[2]) << 16 | u32(in[3]) << 24;
    if (declared != count) return false;
    BitReader bits(in + 4, length - 4);
    HuffmanTree tree;
    u16 root;
    if (!tbHuffmanBuildTree(bits, tree, root)) return false;
    u32 bit;
    for (u32 i = 0; i < count; ++i) {
        u16 node = root;
        // A single-leaf tree still takes one bit for each symbol.
        if (tree.nodes[node].leaf && !bits.read(bit)) return false;
        while (!tree.nodes[node].leaf) {
            if (!bits.read(bit)) return false;
            node = tree.nodes[node].child[bit];
        }
        out[i] = tree.nodes[node].symbol;
    }
    return bits.used();
}

// ---- scheme 7: run-length code with the escape byte 253

bool decodeRunLength(const u8* in, u32 length, u8* out, u32 count) {
    constexpr u8 ESCAPE = 253;
    u32 written = 0;
    for (u32 i = 0; i < length;) {
        if (written == count) return false;  // input left over
        if (in[i] != ESCAPE) {
            out[written++] = in[i++];
            continue;
        }
        if (i + 1 >= length) return false;
        if (in[i + 1] == ESCAPE) {
            out[written++] = ESCAPE;
            i += 2;
            continue;
        }
        if (i + 2 >= length) return false;
        const u32 run = in[i + 1];
        if (run > count - written) return false;
        std::memset(out + written, in[i + 2], run);
        written += run;
        i += 3;
    }
    return written == count;
}

// ---- scheme 4: the 14-byte Lzma86 header and raw LZMA data

constexpr u32 LZMA86_HEADER = 14;
constexpr u32 LZMA_PROPS_END = 6;  // the filter flag and five property bytes
constexpr u32 MIN_DICTIONARY = 4096;

bool decodeLzma86(const u8* in, u32 length, u8* out, u32 count) {
    if (length < LZMA86_HEADER + 5) return false;
    const u8 filter = in[0];
    const u8 lclppb = in[1];
    if (filter > 1 || lclppb > 224) return false;
    u32 dictionary = u32(in[2]) | u32(in[3]) << 8 | u32(in[4]) << 16 | u32(in[5]) << 24;
    // No match reaches further back than the block itself, so a larger
    // dictionary only costs memory: cap it at the largest block.
    if (dictionary < MIN_DICTIONARY) dictionary = MIN_DICTIONARY;
    if (dictionary > BUFFER_SIZE) dictionary = BUFFER_SIZE;
    static_assert(LZMA_PROPS_END <= LZMA86_HEADER);

    lzma_options_lzma options;
    std::memset(&options, 0, sizeof options);
    options.dict_size = dictionary;
    options.lc = lclppb % 9;
    options.lp = (lclppb / 9) % 5;
    options.pb = lclppb / 45;
    if (options.lc + options.lp > LZMA_LCLP_MAX) return false;
    // The data may or may not end with an end marker; the size decides.
    options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    options.ext_size_low = count;
    options.ext_size_high = 0;

    lzma_filter filters[3];
    u32 n = 0;
    if (filter == 1) filters[n++] = {LZMA_FILTER_X86, nullptr};
    filters[n++] = {LZMA_FILTER_LZMA1EXT, &options};
    filters[n] = {LZMA_VLI_UNKNOWN, nullptr};

    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK) {
        lzma_end(&stream);
        return false;
    }
    stream.next_in = in + LZMA86_HEADER;
    stream.avail_in = length - LZMA86_HEADER;
    stream.next_out = out;
    stream.avail_out = count;
    const lzma_ret ret = lzma_code(&stream, LZMA_FINISH);
    const bool ok = (ret == LZMA_STREAM_END || ret == LZMA_OK) && stream.total_out == count &&
                    stream.avail_in == 0;
    lzma_end(&stream);
    return ok;
}

}  // namespace

bool tbDecodeBlock(int scheme, const u8* in, u32 length, u8* out, u32 count) {
    if (count == 0 || count > BUFFER_SIZE) return false;
    switch (scheme) {
        case 1:
            return decodeHuffman(in, length, out, count);
        case 2: {
            // Every byte of lzf input is a command that writes at least one
            // byte, so the decoder reads it all or its length is wrong.
            if (length == 0) return false;
            const unsigned n = lzf_decompress(in, length, out, BUFFER_SIZE);
            return n == count;
        }
        case 3: {
            // uncompress2 says how much input the stream took; anything after
            // the stream's end is not part of the block.
            uLongf n = BUFFER_SIZE;
            uLong used = length;
            return uncompress2(out, &n, in, &used) == Z_OK && n == count && used == length;
        }
        case 4:
            return decodeLzma86(in, length, out, count);
        case 7:
            return decodeRunLength(in, length, out, count);
        case 9:
            if (length != count) return false;
            std::memcpy(out, in, length);
            return true;
        default:
            return false;
    }
}

}  // namespace tb
