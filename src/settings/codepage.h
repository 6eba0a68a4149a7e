// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Profile paths are stored as Windows-1251 bytes on every platform, one byte per
// character; the rest of the program works in UTF-8.
namespace settings {

// Bytes that Windows-1251 leaves undefined become '?'.
std::string Cp1251ToUtf8(std::string_view cp1251);

// One byte per character: a character Windows-1251 cannot hold, or a broken
// UTF-8 sequence, becomes '?', so the byte count equals the character count.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace settings
