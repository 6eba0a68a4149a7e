// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The application settings file 1.dat, 206 bytes, little-endian:
//
//   offset size field
//   0      4    LastProfilePathLength  int32, characters of the path
//   4      196  LastProfilePath        Windows-1251, one byte per character, no terminator
//   200    4    LanguageIndex          int32, index in the language chooser
//   204    1    AutoConnect            1 checked, 0 unchecked
//   205    1    ModelByte              meter model 0..3
//
// The file appears empty; the first choice stored makes it the whole record.
// A field the file is too short to hold reads as zero, which is the window's
// start state: no profile, Russian, auto-connect off, model 0.
namespace settings {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kSettingsFileSize = 206;
inline constexpr std::size_t kPathLengthOffset = 0;
inline constexpr std::size_t kPathOffset = 4;
inline constexpr std::size_t kPathCapacity = 196;
inline constexpr std::size_t kLanguageIndexOffset = 200;
inline constexpr std::size_t kAutoConnectOffset = 204;
inline constexpr std::size_t kModelOffset = 205;

// Fields as stored; nothing is interpreted yet.
struct TSettingsFile {
    // Windows-1251 bytes of the path: the stored length, cut at the first zero
    // byte. Empty when the length is outside 0..196 or the file ends inside it.
    std::string lastProfilePath;
    std::int32_t languageIndex = 0;
    std::uint8_t autoConnect = 0;
    std::uint8_t modelByte = 0;
};

TSettingsFile ReadSettingsFile(std::span<const std::uint8_t> file);

// One field written in place: `bytes` go to `offset`, nothing else changes.
struct TFieldPatch {
    std::size_t offset = 0;
    Bytes bytes;
};

// Length and path text. A path with more than 196 characters does not fit in
// front of the language index; it is stored as length 0 (no profile) instead of
// overwriting the fields behind it. Old path bytes behind the new text stay.
TFieldPatch LastProfilePathPatch(std::string_view utf8Path);
TFieldPatch LanguageIndexPatch(std::int32_t index);
TFieldPatch AutoConnectPatch(bool checked);
TFieldPatch ModelPatch(std::uint8_t model);

// The file after writing `patch`; a file shorter than the field's end grows
// with zero bytes, as writing past the end of a file does.
Bytes ApplyPatch(std::span<const std::uint8_t> file, const TFieldPatch& patch);

// The whole record to store after `patch`: the patched file, padded with zero
// bytes to the full 206 (a short file reads the same either way).
Bytes RecordWithPatch(std::span<const std::uint8_t> file, const TFieldPatch& patch);

}  // namespace settings
