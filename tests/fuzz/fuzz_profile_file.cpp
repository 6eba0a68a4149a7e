// SPDX-License-Identifier: GPL-3.0-or-later
// A .hex1 profile of any content: reading its entries, showing them in the
// profile view, loading them into the editor, and every entry operation.
//
// First byte: bits 0-1 the model, bit 2 English, bits 3-7 the current
// frequency index. The rest: the file.

#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "i18n/lexicon.h"
#include "profiles/profile_editor.h"
#include "profiles/profile_file.h"
#include "profiles/profile_view.h"
#include "support/english.h"

namespace {

using profiles::TProfileEntry;

const i18n::TLexicons& Lexicons(bool english) {
    static const i18n::TLexicons russian;
    static const i18n::TLexicons& englishLexicons = []() -> const i18n::TLexicons& {
        static i18n::TLexicons l;
        l.SetLanguage(testing_support::English());
        return l;
    }();
    return english ? englishLexicons : russian;
}

void CheckEntryTexts(const TProfileEntry& e) {
    for (const std::string* text : {&e.name, &e.primaryTolerance, &e.primaryReference,
                                    &e.secondaryTolerance, &e.secondaryReference})
        fuzz::Check(fuzz::IsValidUtf8(*text), "entry texts are UTF-8");
}

// The edited file holds `count` entries, entry `n` is `entry`, and every other
// entry is the one `old` held at `from(k)`.
template <typename From>
void CheckEdit(const profiles::TEdit& edit, std::int32_t count, std::int32_t n,
               const TProfileEntry* entry, const profiles::TProfile& old, From from) {
    fuzz::Check(edit.Ok(), "an edit in range succeeds");
    fuzz::Check(edit.count == count, "count after an edit");
    const profiles::TProfile now = profiles::ReadProfile(edit.file);
    fuzz::Check(now.Ok() && now.Count() == count, "an edited file reads back");
    for (std::int32_t k = 1; k <= count; ++k) {
        const TProfileEntry& got = now.entries[static_cast<std::size_t>(k - 1)];
        if (entry && k == n) {
            fuzz::Check(got == *entry, "the written entry");
        } else {
            fuzz::Check(got == old.entries[static_cast<std::size_t>(from(k) - 1)],
                        "the other entries");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto model = static_cast<protocol::TMeterModel>(data[0] & 0x03);
    const i18n::TLexicons& lexicons = Lexicons(data[0] & 0x04);
    const std::uint8_t freqIndex = data[0] >> 3;
    const std::span<const std::uint8_t> file(data + 1, size - 1);

    const profiles::TCount count = profiles::ReadCount(file);
    const profiles::TProfile profile = profiles::ReadProfile(file);
    fuzz::Check(profile.damage == count.damage, "one verdict on damage");
    if (!profile.Ok()) {
        fuzz::Check(profile.entries.empty(), "a damaged file offers no entry");
        fuzz::Check(!profiles::ReadEntry(file, 1), "no entry of a damaged file");
        const TProfileEntry any;
        fuzz::Check(
            profiles::StoreEntry(file, 1, any).error == profiles::TEditError::Damaged &&
                profiles::InsertEntry(file, 1, any).error == profiles::TEditError::Damaged &&
                profiles::DeleteEntry(file, 1).error == profiles::TEditError::Damaged,
            "a damaged file is not edited");
        // A file cut short still offers its whole entries, as a sound copy.
        if (const auto salvage = profiles::Salvage(file)) {
            const profiles::TProfile sound = profiles::ReadProfile(profiles::Salvaged(file));
            fuzz::Check(count.damage == profiles::TDamage::CountPastEnd,
                        "only a count past the end");
            fuzz::Check(sound.Ok() && sound.Count() == salvage->whole && salvage->whole >= 1 &&
                            salvage->whole < salvage->counted,
                        "a salvaged file is sound and holds the whole entries");
            for (const TProfileEntry& e : sound.entries) CheckEntryTexts(e);
        } else {
            fuzz::Check(profiles::Salvaged(file).empty(), "nothing salvaged");
        }
        return 0;
    }
    fuzz::Check(profile.Count() == count.count, "every counted entry is read");
    fuzz::Check(!profiles::ReadEntry(file, 0) && !profiles::ReadEntry(file, count.count + 1),
                "no entry outside the count");

    const std::int32_t n = profile.Count();
    for (std::int32_t k = 1; k <= n; ++k) {
        const TProfileEntry& e = profile.entries[static_cast<std::size_t>(k - 1)];
        CheckEntryTexts(e);
        fuzz::Check(profiles::ReadEntry(file, k) == e, "one entry reads as in the list");
        // What was read is stored unchanged.
        fuzz::Check(profiles::DecodeEntry(profiles::EncodeEntry(e)) == e, "entry round trip");

        for (const std::string& cell : profiles::ProfileRowCells(e, k, model, freqIndex, lexicons))
            fuzz::Check(fuzz::IsValidUtf8(cell), "view cells are UTF-8");
        const profiles::TLoadedEntry loaded = profiles::LoadEntry(e, "off", "off");
        fuzz::Check(loaded.primaryParameter >= 0 && loaded.primaryParameter <= 2 &&
                        loaded.secondaryParameter >= 0 && loaded.secondaryParameter <= 2,
                    "a loaded parameter picks a list item");
        fuzz::Check(loaded.primaryUnit >= 0 && loaded.primaryUnit <= 2, "a loaded unit");
        if (loaded.secondaryUnit)
            fuzz::Check(*loaded.secondaryUnit >= 0 && *loaded.secondaryUnit <= 2, "a loaded unit");
    }

    // Each operation at the first entry and behind the last one.
    const TProfileEntry fresh = n > 0 ? profile.entries.back() : TProfileEntry{};
    auto same = [](std::int32_t k) { return k; };
    CheckEdit(profiles::StoreEntry(file, 1, fresh), std::max(n, 1), 1, &fresh, profile, same);
    CheckEdit(profiles::StoreEntry(file, n + 1, fresh), n + 1, n + 1, &fresh, profile, same);
    CheckEdit(profiles::InsertEntry(file, 1, fresh), n + 1, 1, &fresh, profile,
              [](std::int32_t k) { return k - 1; });
    CheckEdit(profiles::InsertEntry(file, n + 1, fresh), n + 1, n + 1, &fresh, profile, same);
    fuzz::Check(profiles::StoreEntry(file, n + 2, fresh).error == profiles::TEditError::OutOfRange,
                "no gap behind the last entry");
    if (n > 0) {
        CheckEdit(profiles::DeleteEntry(file, 1), n - 1, 0, nullptr, profile,
                  [](std::int32_t k) { return k + 1; });
        CheckEdit(profiles::DeleteEntry(file, n), n - 1, 0, nullptr, profile, same);
    } else {
        fuzz::Check(profiles::DeleteEntry(file, 1).error == profiles::TEditError::EmptyProfile,
                    "nothing to delete");
    }
    return 0;
}
