// SPDX-License-Identifier: GPL-3.0-or-later
// A 1.dat of any content: reading its fields, the load plan, and writing each
// field back into it. The first byte is the model before loading, the rest
// the file.

#include <string>

#include "fuzz_support.h"
#include "settings/codepage.h"
#include "settings/load_settings.h"
#include "settings/settings_file.h"

namespace {

using settings::Bytes;
using settings::TSettingsFile;

bool SameFields(const TSettingsFile& a, const TSettingsFile& b) {
    return a.lastProfilePath == b.lastProfilePath && a.languageIndex == b.languageIndex &&
           a.autoConnect == b.autoConnect && a.modelByte == b.modelByte;
}

TSettingsFile Reread(std::span<const std::uint8_t> file, const settings::TFieldPatch& patch) {
    const Bytes patched = settings::ApplyPatch(file, patch);
    fuzz::Check(patched.size() >= patch.offset + patch.bytes.size(), "a patch fits its file");
    return settings::ReadSettingsFile(patched);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t currentModel = data[0];
    const std::span<const std::uint8_t> file(data + 1, size - 1);

    const TSettingsFile fields = settings::ReadSettingsFile(file);
    fuzz::Check(fields.lastProfilePath.size() <= settings::kPathCapacity, "path within its field");
    fuzz::Check(fields.lastProfilePath.find('\0') == std::string::npos, "path cut at a zero");

    const settings::TLoadSettingsPlan plan = settings::PlanLoadSettings(file, currentModel);
    fuzz::Check(!plan.createEmptyFile, "an existing file is read");
    if (plan.model) fuzz::Check(*plan.model < 10, "model byte below 10");
    if (plan.modelButton) fuzz::Check(*plan.modelButton >= 0 && *plan.modelButton <= 3, "button");
    fuzz::Check(plan.profilePath.has_value() == !fields.lastProfilePath.empty(), "path presence");

    if (plan.profilePath) {
        const std::string& path = *plan.profilePath;
        fuzz::Check(fuzz::IsValidUtf8(path), "profile path is UTF-8");
        fuzz::Check(fuzz::IsValidUtf8(settings::ProfileNameFromPath(path)), "profile name");

        // Saving the path restored from the file stores the same bytes again;
        // only the byte Windows-1251 leaves undefined comes back as '?'.
        std::string expected = fields.lastProfilePath;
        for (char& c : expected)
            if (static_cast<unsigned char>(c) == 0x98) c = '?';
        fuzz::Check(settings::Utf8ToCp1251(path) == expected, "path round trip");
        TSettingsFile want = fields;
        want.lastProfilePath = expected;
        fuzz::Check(SameFields(Reread(file, settings::LastProfilePathPatch(path)), want),
                    "saving the path keeps the other fields");
    }

    // Writing one field changes that field alone. A file cut short inside a
    // field reads that field as zero or empty; the zeros that fill it up to a
    // later field can make part of it readable, so only the written field is
    // checked then.
    const bool whole = file.size() >= settings::kSettingsFileSize;
    TSettingsFile want = fields;
    want.languageIndex = fields.languageIndex ^ 1;
    TSettingsFile got = Reread(file, settings::LanguageIndexPatch(want.languageIndex));
    fuzz::Check(got.languageIndex == want.languageIndex, "language index written");
    fuzz::Check(!whole || SameFields(got, want), "language index written alone");
    want = fields;
    want.autoConnect = fields.autoConnect == 0 ? 1 : 0;
    got = Reread(file, settings::AutoConnectPatch(want.autoConnect != 0));
    fuzz::Check(got.autoConnect == want.autoConnect, "auto-connect written");
    fuzz::Check(!whole || SameFields(got, want), "auto-connect written alone");
    want = fields;
    want.modelByte = currentModel;
    got = Reread(file, settings::ModelPatch(currentModel));
    fuzz::Check(got.modelByte == want.modelByte, "model written");
    fuzz::Check(!whole || SameFields(got, want), "model written alone");

    // The same bytes read as a path typed in by the user, and as a profile header.
    const std::string typed(fuzz::AsText(file.data(), file.size()));
    fuzz::Check(
        fuzz::IsValidUtf8(settings::ProfileNameFromPath(typed)) || !fuzz::IsValidUtf8(typed),
        "name of a UTF-8 path");
    const std::string stored = settings::Utf8ToCp1251(typed);
    fuzz::Check(fuzz::IsValidUtf8(settings::Cp1251ToUtf8(stored)), "stored path reads as UTF-8");
    if (const auto count = settings::ProfileCountFromHeader(file))
        fuzz::Check(settings::EntrySpinnerMaximum(*count) >= *count, "spinner maximum");
    return 0;
}
