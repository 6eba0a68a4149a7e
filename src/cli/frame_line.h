// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One input line of `rlc-meter decode`: a frame as hexadecimal bytes, blanks
// allowed between bytes. Blank lines and lines starting with '#' hold nothing.
namespace cli {

enum class TLineKind { Blank, Frame, Malformed };

// `bytes` gets the frame's 18 bytes for a Frame line and is empty otherwise;
// `error` gets the reason for a Malformed one.
TLineKind ReadFrameLine(std::string_view line, std::vector<std::uint8_t>& bytes,
                        std::string& error);

}  // namespace cli
