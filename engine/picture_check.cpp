// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/picture_check.h"

#include <climits>
#include <cstring>
#include <stb/stb_image.h>

namespace {

constexpr unsigned char MARK = 0xFF;      // every JPEG marker starts with it
constexpr unsigned char JPEG_SOI = 0xD8;  // start of image
constexpr unsigned char JPEG_EOI = 0xD9;  // end of image
constexpr unsigned char JPEG_DHT = 0xC4;  // Huffman tables
constexpr unsigned char JPEG_DQT = 0xDB;  // quantization tables
constexpr unsigned char JPEG_SOS = 0xDA;  // start of a scan
constexpr unsigned char JPEG_SOF0 = 0xC0; // baseline frame
constexpr unsigned char JPEG_SOF1 = 0xC1; // extended sequential frame
constexpr unsigned char JPEG_SOF2 = 0xC2; // progressive frame
constexpr unsigned char JPEG_TEM = 0x01;  // a marker without a length
constexpr unsigned char JPEG_RST0 = 0xD0; // restart markers RST0..RST7, without a length
constexpr int HUFFMAN_SYMBOLS = 256;      // symbols one table can hold
constexpr size_t HUFFMAN_HEADER = 1 + 16; // class and slot byte, then a count per code length

bool isJpeg(const unsigned char* d, size_t n) {
    return n >= 2 && d[0] == MARK && d[1] == JPEG_SOI;
}
bool isPng(const unsigned char* d, size_t n) {
    static const unsigned char SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return n >= 8 && std::memcmp(d, SIGNATURE, 8) == 0;
}
bool isBmp(const unsigned char* d, size_t n) {
    return n >= 2 && d[0] == 'B' && d[1] == 'M';
}

// The byte at `i`, 0 past the end (as the decoder reads it).
unsigned char at(const unsigned char* d, size_t n, size_t i) {
    return i < n ? d[i] : 0;
}

// What the walk over a JPEG's markers has seen so far.
struct JpegTables {
    unsigned quant = 0, dc = 0, ac = 0; // tables defined, bit = slot 0-3
    bool progressive = false;
    int components = 0; // of the frame (SOF)
    unsigned char id[4] = {}, tq[4] = {};
    unsigned covered = 0; // components whose blocks a scan has written, bit = index
};

// DHT: each table lists at most 256 symbols (the decoder trusts the counts and would write
// past its table) and goes to a slot that exists.
bool huffmanSegment(const unsigned char* d, size_t n, size_t from, size_t end, JpegTables& j) {
    for (size_t t = from; t < end;) {
        const unsigned char slot = at(d, n, t);
        if ((slot >> 4) > 1 || (slot & 15) > 3) return false;
        int symbols = 0;
        for (size_t k = 1; k < HUFFMAN_HEADER; ++k)
            symbols += at(d, n, t + k);
        if (symbols > HUFFMAN_SYMBOLS) return false;
        ((slot >> 4) ? j.ac : j.dc) |= 1u << (slot & 15);
        t += HUFFMAN_HEADER + size_t(symbols);
    }
    return true;
}

// DQT: tables of 64 values, of one or two bytes each.
bool quantSegment(const unsigned char* d, size_t n, size_t from, size_t end, JpegTables& j) {
    for (size_t t = from; t < end;) {
        const unsigned char slot = at(d, n, t);
        if ((slot >> 4) > 1 || (slot & 15) > 3) return false;
        j.quant |= 1u << (slot & 15);
        t += 1 + ((slot >> 4) ? 128 : 64);
    }
    return true;
}

// SOF: the frame's components and the quantization table each uses.
bool frameSegment(const unsigned char* d, size_t n, size_t i, JpegTables& j) {
    j.components = at(d, n, i + 9);
    if (j.components < 1 || j.components > 4) return false;
    for (int c = 0; c < j.components; ++c) {
        j.id[c] = at(d, n, i + 10 + 3 * c);
        j.tq[c] = at(d, n, i + 12 + 3 * c);
        if (j.tq[c] > 3) return false;
    }
    return true;
}

// SOS: every table the scan decodes with is defined by now. A baseline scan writes its
// components' blocks whole; in a progressive picture the first DC scan of a component does.
bool scanSegment(const unsigned char* d, size_t n, size_t i, JpegTables& j) {
    const int count = at(d, n, i + 4);
    const size_t tail = i + 5 + 2 * size_t(count);
    const int first = at(d, n, tail), last = at(d, n, tail + 1), high = at(d, n, tail + 2) >> 4;
    for (int s = 0; s < count; ++s) {
        const unsigned char id = at(d, n, i + 5 + 2 * s), tables = at(d, n, i + 6 + 2 * s);
        int c = 0;
        while (c < j.components && j.id[c] != id)
            ++c;
        if (c == j.components) return false;
        const bool dc = !j.progressive || first == 0, ac = !j.progressive || last > 0;
        if (dc && !(j.dc >> (tables >> 4) & 1)) return false;
        if (ac && !(j.ac >> (tables & 15) & 1)) return false;
        if (!j.progressive && !(j.quant >> j.tq[c] & 1)) return false;
        if (!j.progressive || (first == 0 && high == 0)) j.covered |= 1u << c;
    }
    return true;
}

// The decoder leaves a component's pixels as whatever memory held when no scan writes them, and
// decodes with whatever its tables held when the file never defined them: such a picture would
// show leftover memory. The markers are walked as the decoder walks them: segments skipped by
// their length, entropy-coded data (between a scan's header and the next marker, progressive
// pictures have several) passed byte by byte, so that tables between scans are seen too.
const char* jpegRefusal(const unsigned char* d, size_t n) {
    JpegTables j;
    size_t i = 2;
    while (i + 1 < n) {
        if (d[i] != MARK) { // entropy-coded data or junk between markers
            ++i;
            continue;
        }
        const unsigned char m = d[i + 1];
        if (m == MARK) { // fill byte before a marker
            ++i;
            continue;
        }
        if (m == 0x00 || m == JPEG_TEM || m == JPEG_SOI || (m >= JPEG_RST0 && m < JPEG_RST0 + 8)) {
            i += 2; // a stuffed 0xFF in entropy data, or a marker without a length
            continue;
        }
        if (m == JPEG_EOI) break;
        const size_t length = size_t(at(d, n, i + 2)) << 8 | at(d, n, i + 3);
        const size_t end = i + 2 + length;
        bool sound = true;
        if (m == JPEG_DHT)
            sound = huffmanSegment(d, n, i + 4, end, j);
        else if (m == JPEG_DQT)
            sound = quantSegment(d, n, i + 4, end, j);
        else if (m == JPEG_SOF0 || m == JPEG_SOF1 || m == JPEG_SOF2) {
            j.progressive = m == JPEG_SOF2;
            sound = frameSegment(d, n, i, j);
        } else if (m == JPEG_SOS)
            sound = scanSegment(d, n, i, j);
        if (!sound) return "damaged JPEG tables or scans";
        i = end > i + 2 ? end : i + 2;
    }
    for (int c = 0; c < j.components; ++c) {
        if (!(j.covered >> c & 1)) return "a JPEG component no scan decodes";
        if (!(j.quant >> j.tq[c] & 1)) return "a JPEG quantization table never defined";
    }
    return nullptr;
}

} // namespace

const char* pictureRefusal(const unsigned char* data, size_t size) {
    if (!data || size == 0 || size > size_t(INT_MAX)) return "no picture data";
    const bool jpeg = isJpeg(data, size);
    if (!jpeg && !isPng(data, size) && !isBmp(data, size)) return "not a JPEG, PNG or BMP picture";
    if (jpeg)
        if (const char* why = jpegRefusal(data, size)) return why;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &comp) || w <= 0 || h <= 0)
        return stbi_failure_reason() ? stbi_failure_reason() : "unreadable picture header";
    if (w > MAX_PICTURE_SIDE || h > MAX_PICTURE_SIDE || long(w) * h > MAX_PICTURE_PIXELS)
        return "picture too large";
    return nullptr;
}
