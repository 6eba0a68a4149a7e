// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/utf8.h"

namespace logcore {

namespace {

std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (at + length > text.size()) return 1;
    // The second byte also rules out overlong forms, surrogates and code
    // points past U+10FFFF.
    if (length > 1) {
        const auto second = static_cast<unsigned char>(text[at + 1]);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) return 1;
    }
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
    return length;
}

}  // namespace

std::vector<std::string_view> SplitCharacters(std::string_view text) {
    std::vector<std::string_view> out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = SequenceLength(text, at);
        out.push_back(text.substr(at, n));
        at += n;
    }
    return out;
}

}  // namespace logcore

namespace logcore {

bool IsValidUtf8(std::string_view text) {
    // Runs for every field of every journal line: no list of characters.
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t n = SequenceLength(text, at);
        if (n == 1) return false;
        at += n;
    }
    return true;
}

}  // namespace logcore
