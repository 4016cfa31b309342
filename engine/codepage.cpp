#include "engine/codepage.h"

#include <array>
#include <cstdio>

namespace qorvel::engine::cp1252 {

namespace {

// Unicode of bytes 0x80..0x9F. The five bytes 1252 leaves undefined map to the C1
// control of the same value, as Windows does, so every byte survives a round trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct CaseTables {
    std::array<unsigned char, 256> up{};
    std::array<unsigned char, 256> low{};
    CaseTables() {
        for (int i = 0; i < 256; ++i)
            up[i] = low[i] = static_cast<unsigned char>(i);
        auto pair = [this](int u, int l) {
            up[l] = static_cast<unsigned char>(u);
            low[u] = static_cast<unsigned char>(l);
        };
        for (int c = 'a'; c <= 'z'; ++c)
            pair(c - 32, c);
        for (int c = 0xE0; c <= 0xFE; ++c) {
            if (c != 0xF7)
                pair(c - 32, c);
        }
        pair(0x8A, 0x9A);  // Š š
        pair(0x8C, 0x9C);  // Œ œ
        pair(0x8E, 0x9E);  // Ž ž
        pair(0x9F, 0xFF);  // Ÿ ÿ
    }
};

const CaseTables& tables() {
    static const CaseTables t;
    return t;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int byteFor(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

}  // namespace

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b < 0x80)
            out += static_cast<char>(b);
        else if (b < 0xA0)
            appendUtf8(out, kHigh[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

Result<std::string> fromUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else {
            return Status::Error("The text is not valid UTF-8");
        }
        if (i + extra >= s.size())
            return Status::Error("The text is not valid UTF-8");
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80)
                return Status::Error("The text is not valid UTF-8");
            c = (c << 6) | (cb & 0x3F);
        }
        static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return Status::Error("The text is not valid UTF-8");
        const int byte = byteFor(c);
        if (byte < 0) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            return Status::Error("The character \"" + std::string(s.substr(i, extra + 1)) + "\" (" + code +
                                 ") cannot be stored in this table (Windows-1252 text)");
        }
        out += static_cast<char>(byte);
        i += extra + 1;
    }
    return out;
}

unsigned char upper(unsigned char c) { return tables().up[c]; }
unsigned char lower(unsigned char c) { return tables().low[c]; }

void upperInPlace(char* p, size_t n) {
    const auto& t = tables().up;
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<char>(t[static_cast<unsigned char>(p[i])]);
}

void lowerInPlace(char* p, size_t n) {
    const auto& t = tables().low;
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<char>(t[static_cast<unsigned char>(p[i])]);
}

}  // namespace qorvel::engine::cp1252
