#pragma once

// Writes slides and slide libraries for the tests, in either byte order and
// either header level, so that each record kind can be put in front of the
// decoder on its own and the same picture compared across encodings.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

struct SlideXY {
    int x = 0;
    int y = 0;
};

class SlideWriter {
public:
    SlideWriter(int level, bool bigEndian, int highX, int highY) : m_big(bigEndian)
    {
        // 17 bytes of identification (ignored by readers), type, level.
        const char id[] = "Zun slide test\r\n\x1a";
        m_bytes.assign(id, id + 17);
        m_bytes.push_back(0x56);
        m_bytes.push_back(static_cast<std::uint8_t>(level));
        if (level == 1) {
            // The old header has no test number; we read it little-endian.
            m_big = false;
            putWord(highX);
            putWord(highY);
            double aspect = double(highX) / double(highY ? highY : 1);
            std::uint8_t raw[8];
            std::memcpy(raw, &aspect, 8);
            m_bytes.insert(m_bytes.end(), raw, raw + 8);
            putWord(2);
            m_bytes.push_back(0);
        } else {
            putWord(highX);
            putWord(highY);
            const std::uint32_t aspect = 10000000u * std::uint32_t(highX) / std::uint32_t(highY ? highY : 1);
            putWord(bigEndian ? aspect >> 16 : aspect & 0xFFFF);
            putWord(bigEndian ? aspect & 0xFFFF : aspect >> 16);
            putWord(2);
            putWord(0x1234);  // in the writer's order: reads 0x3412 when swapped
        }
    }

    SlideWriter& vector(int x0, int y0, int x1, int y1)
    {
        putWord(x0);
        putWord(y0);
        putWord(x1);
        putWord(y1);
        return *this;
    }
    SlideWriter& offsetVector(int dx0, int dy0, int dx1, int dy1)
    {
        putWord(0xFB00 | (dx0 & 0xFF));
        putBytes({dy0, dx1, dy1});
        return *this;
    }
    SlideWriter& commonEndpoint(int dx, int dy)
    {
        putWord(0xFE00 | (dx & 0xFF));
        putBytes({dy});
        return *this;
    }
    SlideWriter& color(int index)
    {
        putWord(0xFF00 | (index & 0xFF));
        return *this;
    }
    // A solid fill of all its vertices, closed by an end record.
    SlideWriter& solidFill(const std::vector<SlideXY>& vertices)
    {
        fillStart(static_cast<int>(vertices.size()));
        for (const SlideXY& v : vertices)
            fillVertex(v.x, v.y);
        return fillVertex(0, -1);
    }
    // A fill that declares n vertices but ends early with a negative y.
    SlideWriter& solidFillEndingEarly(int n, const std::vector<SlideXY>& vertices)
    {
        fillStart(n);
        for (const SlideXY& v : vertices)
            fillVertex(v.x, v.y);
        return fillVertex(0, -1);
    }
    SlideWriter& fillStart(int n)
    {
        putWord(0xFD00);
        putWord(n);
        return putWordRet(0xFFFF);
    }
    SlideWriter& fillVertex(int x, int y)
    {
        putWord(0xFD00);
        putWord(x);
        return putWordRet(y);
    }
    SlideWriter& end() { return putWordRet(0xFC00); }
    SlideWriter& word(int w) { return putWordRet(w); }

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::string str() const { return std::string(m_bytes.begin(), m_bytes.end()); }

private:
    SlideWriter& putWordRet(int w)
    {
        putWord(w);
        return *this;
    }
    void putWord(unsigned w)
    {
        const auto lo = static_cast<std::uint8_t>(w & 0xFF);
        const auto hi = static_cast<std::uint8_t>((w >> 8) & 0xFF);
        if (m_big) {
            m_bytes.push_back(hi);
            m_bytes.push_back(lo);
        } else {
            m_bytes.push_back(lo);
            m_bytes.push_back(hi);
        }
    }
    void putWord(int w) { putWord(static_cast<unsigned>(w)); }
    void putBytes(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            m_bytes.push_back(static_cast<std::uint8_t>(b & 0xFF));
    }

    bool m_big;
    std::vector<std::uint8_t> m_bytes;
};

// A slide library of named slides, in the given order. An empty name makes
// the directory end there, as it does in files.
inline std::vector<std::uint8_t> slideLibrary(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& slides)
{
    std::vector<std::uint8_t> lib;
    const char head[] = "Zun slide library test\r\n\x1a";
    lib.assign(head, head + sizeof head - 1);
    lib.resize(32, 0);
    const std::size_t dirSize = 36 * (slides.size() + 1);
    std::uint32_t offset = static_cast<std::uint32_t>(32 + dirSize);
    for (const auto& [name, bytes] : slides) {
        std::uint8_t entry[36] = {};
        std::memcpy(entry, name.data(), std::min<std::size_t>(name.size(), 32));
        for (int i = 0; i < 4; ++i)
            entry[32 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
        lib.insert(lib.end(), entry, entry + 36);
        offset += static_cast<std::uint32_t>(bytes.size());
    }
    lib.resize(lib.size() + 36, 0);  // the empty entry that ends the directory
    for (const auto& entry : slides)
        lib.insert(lib.end(), entry.second.begin(), entry.second.end());
    return lib;
}
