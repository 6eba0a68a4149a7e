// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/profile_file.h"

#include <algorithm>
#include <cstring>

#include "settings/codepage.h"

namespace profiles {
namespace {

void PutInt32(std::uint8_t* at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t GetInt32(const std::uint8_t* at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void PutShortText(std::uint8_t* at, std::size_t capacity, const std::string& utf8) {
    std::string bytes = settings::Utf8ToCp1251(utf8);  // one byte per character
    if (bytes.size() > capacity) bytes.resize(capacity);
    at[0] = static_cast<std::uint8_t>(bytes.size());
    std::memcpy(at + 1, bytes.data(), bytes.size());
}

// A length byte past the field would read the bytes behind the text, which
// are zero padding in files made here: the text ends at the field's end and at
// its first zero byte, whichever comes first.
std::string GetShortText(const std::uint8_t* at, std::size_t capacity) {
    const std::size_t length = std::min<std::size_t>(at[0], capacity);
    std::string_view text(reinterpret_cast<const char*>(at + 1), length);
    text = text.substr(0, text.find('\0'));
    return settings::Cp1251ToUtf8(text);
}

}  // namespace

std::array<std::uint8_t, kEntrySize> EncodeEntry(const TProfileEntry& e) {
    std::array<std::uint8_t, kEntrySize> b{};
    PutShortText(&b[off::Name], kNameCapacity, e.name);
    PutInt32(&b[off::StartPosition], e.startPosition);
    PutShortText(&b[off::PrimaryTolerance], kToleranceCapacity, e.primaryTolerance);
    b[off::PrimaryParameter] = e.primaryParameter;
    b[off::PrimaryUnit] = e.primaryUnit;
    PutShortText(&b[off::PrimaryReference], kReferenceCapacity, e.primaryReference);
    PutShortText(&b[off::SecondaryTolerance], kToleranceCapacity, e.secondaryTolerance);
    b[off::SecondaryParameter] = e.secondaryParameter;
    b[off::SecondaryUnit] = e.secondaryUnit;
    PutShortText(&b[off::SecondaryReference], kReferenceCapacity, e.secondaryReference);
    std::copy(e.settings.begin(), e.settings.end(), b.begin() + off::Settings);
    return b;
}

TProfileEntry DecodeEntry(std::span<const std::uint8_t, kEntrySize> b) {
    TProfileEntry e;
    e.name = GetShortText(&b[off::Name], kNameCapacity);
    e.startPosition = GetInt32(&b[off::StartPosition]);
    e.primaryTolerance = GetShortText(&b[off::PrimaryTolerance], kToleranceCapacity);
    e.primaryParameter = b[off::PrimaryParameter];
    e.primaryUnit = b[off::PrimaryUnit];
    e.primaryReference = GetShortText(&b[off::PrimaryReference], kReferenceCapacity);
    e.secondaryTolerance = GetShortText(&b[off::SecondaryTolerance], kToleranceCapacity);
    e.secondaryParameter = b[off::SecondaryParameter];
    e.secondaryUnit = b[off::SecondaryUnit];
    e.secondaryReference = GetShortText(&b[off::SecondaryReference], kReferenceCapacity);
    std::copy_n(b.begin() + off::Settings, e.settings.size(), e.settings.begin());
    return e;
}

std::string_view DamageReason(TDamage damage) {
    switch (damage) {
        case TDamage::None:
            return "";
        case TDamage::ShortFile:
            return "the file is shorter than the 4-byte entry count";
        case TDamage::NegativeCount:
            return "the entry count is negative";
        case TDamage::CountPastEnd:
            return "the entry count names entries past the end of the file";
    }
    return "";
}

TCount ReadCount(std::span<const std::uint8_t> file) {
    if (file.size() < 4) return {0, TDamage::ShortFile};
    const std::int32_t count = GetInt32(file.data());
    if (count < 0) return {count, TDamage::NegativeCount};
    const std::size_t entriesRoom =
        file.size() < kHeaderSize ? 0 : (file.size() - kHeaderSize) / kEntrySize;
    if (static_cast<std::size_t>(count) > entriesRoom) return {count, TDamage::CountPastEnd};
    return {count, TDamage::None};
}

namespace {

std::span<const std::uint8_t, kEntrySize> EntryBytes(std::span<const std::uint8_t> file,
                                                     std::int32_t n) {
    return file.subspan(EntryOffset(n)).first<kEntrySize>();
}

}  // namespace

TProfile ReadProfile(std::span<const std::uint8_t> file) {
    const TCount c = ReadCount(file);
    TProfile p;
    p.damage = c.damage;
    if (!c.Ok()) return p;
    p.entries.reserve(static_cast<std::size_t>(c.count));
    for (std::int32_t n = 1; n <= c.count; ++n)
        p.entries.push_back(DecodeEntry(EntryBytes(file, n)));
    return p;
}

std::optional<TSalvage> Salvage(std::span<const std::uint8_t> file) {
    const TCount c = ReadCount(file);
    if (c.damage != TDamage::CountPastEnd || file.size() < kHeaderSize + kEntrySize)
        return std::nullopt;
    const auto whole = static_cast<std::int32_t>((file.size() - kHeaderSize) / kEntrySize);
    return TSalvage{c.count, whole};
}

Bytes Salvaged(std::span<const std::uint8_t> file) {
    const std::optional<TSalvage> s = Salvage(file);
    if (!s) return {};
    Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(EntryOffset(s->whole + 1)));
    PutInt32(out.data(), s->whole);
    return out;
}

std::optional<TProfileEntry> ReadEntry(std::span<const std::uint8_t> file, std::int32_t n) {
    const TCount c = ReadCount(file);
    if (!c.Ok() || n < 1 || n > c.count) return std::nullopt;
    return DecodeEntry(EntryBytes(file, n));
}

Bytes NewProfile(const TProfileEntry& first) {
    Bytes file(kNewProfileSize, 0);
    PutInt32(file.data(), 1);
    const auto entry = EncodeEntry(first);
    std::copy(entry.begin(), entry.end(), file.begin() + kHeaderSize);
    return file;
}

namespace {

// The checks every operation starts with; numbers up to count + `extra` are
// accepted, and an operation with no room beyond the count needs an entry.
TEdit Check(std::span<const std::uint8_t> file, std::int32_t n, std::int32_t extra) {
    TEdit edit;
    const TCount c = ReadCount(file);
    if (!c.Ok()) {
        edit.error = TEditError::Damaged;
        edit.damage = c.damage;
        return edit;
    }
    if (extra == 0 && c.count == 0) {
        edit.error = TEditError::EmptyProfile;
        return edit;
    }
    if (n < 1 || n > c.count + extra) {
        edit.error = TEditError::OutOfRange;
        return edit;
    }
    edit.count = c.count;
    edit.file.assign(file.begin(), file.end());
    return edit;
}

void Place(Bytes& file, std::int32_t n, std::span<const std::uint8_t> entry) {
    const std::size_t at = EntryOffset(n);
    if (file.size() < at + kEntrySize) file.resize(at + kEntrySize, 0);
    std::copy(entry.begin(), entry.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}

void CopySlot(Bytes& file, std::int32_t from, std::int32_t to) {
    const std::array<std::uint8_t, kEntrySize> entry = [&] {
        std::array<std::uint8_t, kEntrySize> e{};
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(EntryOffset(from)), kEntrySize,
                    e.begin());
        return e;
    }();
    Place(file, to, entry);
}

}  // namespace

TEdit StoreEntry(std::span<const std::uint8_t> file, std::int32_t n, const TProfileEntry& entry) {
    TEdit edit = Check(file, n, 1);
    if (!edit.Ok()) return edit;
    if (n > edit.count) {
        edit.count = n;
        PutInt32(edit.file.data(), edit.count);
    }
    Place(edit.file, n, EncodeEntry(entry));
    return edit;
}

TEdit InsertEntry(std::span<const std::uint8_t> file, std::int32_t n, const TProfileEntry& entry) {
    TEdit edit = Check(file, n, 1);
    if (!edit.Ok()) return edit;
    for (std::int32_t k = edit.count; k >= n; --k) CopySlot(edit.file, k, k + 1);
    edit.count += 1;
    PutInt32(edit.file.data(), edit.count);
    Place(edit.file, n, EncodeEntry(entry));
    return edit;
}

TEdit DeleteEntry(std::span<const std::uint8_t> file, std::int32_t n) {
    TEdit edit = Check(file, n, 0);
    if (!edit.Ok()) return edit;
    for (std::int32_t k = n + 1; k <= edit.count; ++k) CopySlot(edit.file, k, k - 1);
    edit.count -= 1;
    PutInt32(edit.file.data(), edit.count);
    return edit;
}

}  // namespace profiles
