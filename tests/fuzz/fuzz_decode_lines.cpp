// SPDX-License-Identifier: GPL-3.0-or-later
// Text given to `rlc-meter decode`: its lines through the line reader, and the
// frames read through the screens as the tool shows them.
//
// First byte: bits 0-1 the model, bit 2 English. The rest: the input text.

#include <string>
#include <vector>

#include "cli/frame_line.h"
#include "frame_screens.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes a frame line spells, blanks ignored.
std::vector<std::uint8_t> SpelledBytes(std::string_view line) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : line) {
        const int v = HexValue(c);
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool english = data[0] & 0x04;
    display::TScreenState screen(fuzz::Lexicons(english), fuzz::Separators(english));
    screen.Start(static_cast<protocol::TMeterModel>(data[0] & 0x03));

    std::string_view text = fuzz::AsText(data + 1, size - 1);
    std::vector<std::uint8_t> bytes;
    std::string error;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

        error.clear();
        switch (cli::ReadFrameLine(line, bytes, error)) {
            case cli::TLineKind::Blank:
                fuzz::Check(bytes.empty() && error.empty(), "a blank line yields nothing");
                break;
            case cli::TLineKind::Malformed:
                fuzz::Check(!error.empty() && bytes.empty(), "a refused line says why");
                break;
            case cli::TLineKind::Frame:
                fuzz::Check(bytes.size() == protocol::kFrameSize, "a frame line holds 18 bytes");
                fuzz::Check(bytes == SpelledBytes(line), "the bytes the line spells");
                fuzz::FeedChecked(screen, bytes);
                break;
        }
    }
    return 0;
}
