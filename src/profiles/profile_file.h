// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/settings.h"

// Profile files (.hex1): a numbered list of entries, binary, little-endian, no
// signature.
//
//   offset               size  content
//   0                    4     entry count, int32
//   4                    96    unused (zero in files made here, kept as found)
//   100 + (n - 1) * 72   72    entry n, n = 1 .. count
//
// The file may be longer than its entries need (a delete does not shorten
// it); bytes behind the last entry are ignored and kept.
//
// Entry (72 bytes). A short text of capacity k is a length byte followed by k
// Windows-1251 bytes, of which the first `length` are the text.
//
//   offset size field
//   0      11   name, short text of capacity 10
//   11     1    padding (written as 0)
//   12     4    start position, int32
//   16     6    primary tolerance, capacity 5 ("OFF" when off)
//   22     1    primary parameter: 0 R, 1 L, 2 C
//   23     1    primary unit index 0..2
//   24     11   primary reference, capacity 10
//   35     6    secondary tolerance, capacity 5 ("OFF" when off)
//   41     1    secondary parameter: 0 R, 1 Q, 2 D
//   42     1    secondary unit index 0..2 (0 unless the parameter is R)
//   43     11   secondary reference, capacity 10
//   54     18   meter settings record, byte for byte
//
// Reading never goes past the end of the file. A file whose count cannot be
// trusted (shorter than 4 bytes, a negative count, or more entries than the
// file holds) is damaged as a whole: none of its entries is offered and no
// operation changes it, so a user never loads or edits guessed entries.
namespace profiles {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 100;
inline constexpr std::size_t kEntrySize = 72;
inline constexpr std::size_t kNewProfileSize = kHeaderSize + kEntrySize;  // 172

namespace off {
enum : std::size_t {
    Name = 0,
    StartPosition = 12,
    PrimaryTolerance = 16,
    PrimaryParameter = 22,
    PrimaryUnit = 23,
    PrimaryReference = 24,
    SecondaryTolerance = 35,
    SecondaryParameter = 41,
    SecondaryUnit = 42,
    SecondaryReference = 43,
    Settings = 54,
};
}

inline constexpr std::size_t kNameCapacity = 10;
inline constexpr std::size_t kToleranceCapacity = 5;
inline constexpr std::size_t kReferenceCapacity = 10;

// What a tolerance field holds when that tolerance is switched off; it does
// not depend on the language, so the off state survives a language change.
inline constexpr std::string_view kToleranceOff = "OFF";

// One entry with its texts in UTF-8.
struct TProfileEntry {
    std::string name;
    std::int32_t startPosition = 0;
    std::string primaryTolerance;  // "OFF" or a tolerance text
    std::uint8_t primaryParameter = 0;
    std::uint8_t primaryUnit = 0;
    std::string primaryReference;
    std::string secondaryTolerance;
    std::uint8_t secondaryParameter = 0;
    std::uint8_t secondaryUnit = 0;
    std::string secondaryReference;
    std::array<std::uint8_t, protocol::rec::Size> settings{};

    friend bool operator==(const TProfileEntry&, const TProfileEntry&) = default;
};

// Texts longer than their field are cut to the field's capacity in
// characters; a character Windows-1251 lacks is stored as '?'.
std::array<std::uint8_t, kEntrySize> EncodeEntry(const TProfileEntry& entry);
// A text ends at its length byte, at its field's capacity and at its first
// zero byte, whichever comes first.
TProfileEntry DecodeEntry(std::span<const std::uint8_t, kEntrySize> bytes);

enum class TDamage {
    None,
    ShortFile,      // fewer than 4 bytes: no count at all
    NegativeCount,  // count below 0
    CountPastEnd,   // the count names entries behind the end of the file
};

// A short English reason for a damage, for logs and the command-line tool.
std::string_view DamageReason(TDamage damage);

// The trusted entry count, or the damage.
struct TCount {
    std::int32_t count = 0;
    TDamage damage = TDamage::None;
    bool Ok() const { return damage == TDamage::None; }
};
TCount ReadCount(std::span<const std::uint8_t> file);

struct TProfile {
    TDamage damage = TDamage::None;
    std::vector<TProfileEntry> entries;  // empty when damaged
    bool Ok() const { return damage == TDamage::None; }
    std::int32_t Count() const { return static_cast<std::int32_t>(entries.size()); }
};
TProfile ReadProfile(std::span<const std::uint8_t> file);

// A file whose count names entries past its end may still hold whole entries
// in front of the cut (a copy that stopped short, say). They may be shown but
// never edited in that file: it is opened read-only, and a sound copy of them
// is written only under a name the user chooses.
struct TSalvage {
    std::int32_t counted = 0;  // the count in the header
    std::int32_t whole = 0;    // entries the file holds whole, 1 .. counted - 1
};
// None unless the count names entries past the end and at least one is whole.
std::optional<TSalvage> Salvage(std::span<const std::uint8_t> file);
// A salvageable file as a sound profile of its whole entries: the header with
// their count, then the entries; what follows them is dropped. Empty when the
// file cannot be salvaged.
Bytes Salvaged(std::span<const std::uint8_t> file);

// Entry n (1-based) of an undamaged file; none outside 1 .. count.
std::optional<TProfileEntry> ReadEntry(std::span<const std::uint8_t> file, std::int32_t n);

// Byte offset of entry n.
constexpr std::size_t EntryOffset(std::int32_t n) {
    return kHeaderSize + static_cast<std::size_t>(n - 1) * kEntrySize;
}

// A new profile holding `first` as its only entry: 172 bytes.
Bytes NewProfile(const TProfileEntry& first);

// Result of an entry operation: the whole new file, or why nothing changed.
enum class TEditError {
    None,
    Damaged,      // the file's count cannot be trusted
    OutOfRange,   // the entry number is outside what the operation allows
    EmptyProfile  // delete on a profile without entries
};
struct TEdit {
    TEditError error = TEditError::None;
    TDamage damage = TDamage::None;  // when error is Damaged
    Bytes file;                      // the new file when error is None
    std::int32_t count = 0;          // the new count when error is None
    bool Ok() const { return error == TEditError::None; }
};

// Write `entry` as entry n, 1 .. count + 1; count + 1 appends it and raises
// the count. Only entry n (and the count when appending) changes.
TEdit StoreEntry(std::span<const std::uint8_t> file, std::int32_t n, const TProfileEntry& entry);
// Insert `entry` at n, 1 .. count + 1: entries n .. count move one slot up.
TEdit InsertEntry(std::span<const std::uint8_t> file, std::int32_t n, const TProfileEntry& entry);
// Delete entry n, 1 .. count: the entries behind it move one slot down. The
// file keeps its length; the old last slot keeps its bytes.
TEdit DeleteEntry(std::span<const std::uint8_t> file, std::int32_t n);

}  // namespace profiles
