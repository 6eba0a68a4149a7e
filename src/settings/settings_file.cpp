// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_file.h"

#include <algorithm>

#include "settings/codepage.h"

namespace settings {
namespace {

// Little-endian int32 at `offset`, or 0 when the file ends before it.
std::int32_t Int32At(std::span<const std::uint8_t> file, std::size_t offset) {
    if (file.size() < offset + 4) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | file[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(v);
}

std::uint8_t ByteAt(std::span<const std::uint8_t> file, std::size_t offset) {
    return file.size() > offset ? file[offset] : 0;
}

Bytes Int32Bytes(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

}  // namespace

TSettingsFile ReadSettingsFile(std::span<const std::uint8_t> file) {
    TSettingsFile f;
    const std::int32_t length = Int32At(file, kPathLengthOffset);
    if (length >= 0 && static_cast<std::size_t>(length) <= kPathCapacity &&
        file.size() >= kPathOffset + static_cast<std::size_t>(length)) {
        const auto text = file.subspan(kPathOffset, static_cast<std::size_t>(length));
        const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
        f.lastProfilePath.assign(text.begin(), end);
    }
    f.languageIndex = Int32At(file, kLanguageIndexOffset);
    f.autoConnect = ByteAt(file, kAutoConnectOffset);
    f.modelByte = ByteAt(file, kModelOffset);
    return f;
}

TFieldPatch LastProfilePathPatch(std::string_view utf8Path) {
    const std::string text = Utf8ToCp1251(utf8Path);
    if (text.size() > kPathCapacity) return {kPathLengthOffset, Int32Bytes(0)};
    TFieldPatch p{kPathLengthOffset, Int32Bytes(static_cast<std::int32_t>(text.size()))};
    p.bytes.insert(p.bytes.end(), text.begin(), text.end());
    return p;
}

TFieldPatch LanguageIndexPatch(std::int32_t index) {
    return {kLanguageIndexOffset, Int32Bytes(index)};
}

TFieldPatch AutoConnectPatch(bool checked) {
    return {kAutoConnectOffset, {static_cast<std::uint8_t>(checked ? 1 : 0)}};
}

TFieldPatch ModelPatch(std::uint8_t model) {
    return {kModelOffset, {model}};
}

Bytes ApplyPatch(std::span<const std::uint8_t> file, const TFieldPatch& patch) {
    Bytes out(file.begin(), file.end());
    const std::size_t end = patch.offset + patch.bytes.size();
    if (out.size() < end) out.resize(end, 0);
    std::copy(patch.bytes.begin(), patch.bytes.end(),
              out.begin() + static_cast<std::ptrdiff_t>(patch.offset));
    return out;
}

Bytes RecordWithPatch(std::span<const std::uint8_t> file, const TFieldPatch& patch) {
    Bytes out = ApplyPatch(file, patch);
    if (out.size() < kSettingsFileSize) out.resize(kSettingsFileSize, 0);
    return out;
}

}  // namespace settings
