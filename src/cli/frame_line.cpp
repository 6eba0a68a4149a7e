// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/frame_line.h"

#include <cstdio>
#include <sstream>

#include "protocol/frame.h"

namespace cli {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A word of the input as it may be shown on a terminal: printable ASCII as it
// is, every other byte as \xNN.
std::string Printable(const std::string& word) {
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

// Blanks may separate bytes, never split one.
bool ParseFrameLine(const std::string& line, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        for (const char c : word) {
            if (HexDigit(c) < 0) {
                error = "'" + Printable(word) + "' is not hexadecimal";
                return false;
            }
        }
        if (word.size() % 2 != 0) {
            error = "'" + word + "' splits a byte";
            return false;
        }
        for (std::size_t i = 0; i < word.size(); i += 2)
            bytes.push_back(
                static_cast<std::uint8_t>(HexDigit(word[i]) * 16 + HexDigit(word[i + 1])));
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
    if (ParseFrameLine(std::string(line), bytes, error)) return TLineKind::Frame;
    bytes.clear();
    return TLineKind::Malformed;
}

}  // namespace cli
