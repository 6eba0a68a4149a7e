// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/frame_line.h"

#include <array>
#include <cstdio>

#include "protocol/frame.h"

namespace cli {
namespace {

constexpr std::array<std::int8_t, 256> kHexDigits = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
        table[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}();

int HexDigit(char c) {
    return kHexDigits[static_cast<unsigned char>(c)];
}

// A word of the input as it may be shown on a terminal: printable ASCII as it
// is, every other byte as \xNN.
std::string Printable(std::string_view word) {
    std::string out;
    for (const unsigned char c : word) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

// The blanks that separate words, as a stream reading words knows them.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The common line: the frame's 36 digits and nothing else (but a CR).
bool ParsePlainFrame(std::string_view line, std::vector<std::uint8_t>& bytes) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() != 2 * protocol::kFrameSize) return false;
    bytes.resize(protocol::kFrameSize);
    for (std::size_t i = 0; i < protocol::kFrameSize; ++i) {
        const int high = HexDigit(line[2 * i]);
        const int low = HexDigit(line[2 * i + 1]);
        if ((high | low) < 0) return false;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

// Blanks may separate bytes, never split one.
bool ParseFrameLine(std::string_view line, std::vector<std::uint8_t>& bytes, std::string& error) {
    if (ParsePlainFrame(line, bytes)) return true;
    bytes.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        const std::string_view word = line.substr(i, end - i);
        i = end;
        for (const char c : word) {
            if (HexDigit(c) < 0) {
                error = "'" + Printable(word) + "' is not hexadecimal";
                return false;
            }
        }
        if (word.size() % 2 != 0) {
            error = "'" + std::string(word) + "' splits a byte";
            return false;
        }
        for (std::size_t k = 0; k < word.size(); k += 2)
            bytes.push_back(
                static_cast<std::uint8_t>(HexDigit(word[k]) * 16 + HexDigit(word[k + 1])));
    }
    if (bytes.size() != protocol::kFrameSize) {
        error = "expected 36 hex digits (18 bytes), got " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    return true;
}

}  // namespace

TLineKind ReadFrameLine(std::string_view line, std::vector<std::uint8_t>& bytes,
                        std::string& error) {
    bytes.clear();
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string_view::npos || line[start] == '#') return TLineKind::Blank;
    if (ParseFrameLine(line, bytes, error)) return TLineKind::Frame;
    bytes.clear();
    return TLineKind::Malformed;
}

}  // namespace cli
