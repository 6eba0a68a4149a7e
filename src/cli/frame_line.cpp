#include "cli/frame_line.h"

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

// Blanks may separate bytes, never split one.
bool ParseFrameLine(const std::string& line, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        if (word.size() % 2 != 0) {
            error = "'" + word + "' splits a byte";
            return false;
        }
        for (std::size_t i = 0; i < word.size(); i += 2) {
            const int hi = HexDigit(word[i]);
            const int lo = HexDigit(word[i + 1]);
            if (hi < 0 || lo < 0) {
                error = "'" + word + "' is not hexadecimal";
                return false;
            }
            bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        }
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
