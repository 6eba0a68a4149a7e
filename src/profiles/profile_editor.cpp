// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/profile_editor.h"

namespace profiles {
namespace {

std::string StoredTolerance(const std::string& text, const std::string& offText) {
    return text == offText ? std::string(kToleranceOff) : text;
}

std::string LoadedTolerance(const std::string& stored, const std::string& offText) {
    return stored == kToleranceOff ? offText : stored;
}

// Parameter and unit lists have three items; a damaged byte loads as item 0.
int ListIndex(std::uint8_t stored) {
    return stored <= 2 ? stored : 0;
}

std::uint8_t Byte(int value) {
    return static_cast<std::uint8_t>(value);
}

}  // namespace

TProfileEntry EntryFromEditor(const TEditorState& ed) {
    TProfileEntry e;
    e.name = ed.entryName;
    e.startPosition = ed.startPosition;
    e.primaryTolerance = StoredTolerance(ed.primaryTolerance, ed.primaryOffText);
    e.primaryParameter = Byte(ed.primaryParameter);
    switch (ed.primaryParameter) {
        case 1:
            e.primaryUnit = Byte(ed.inductanceUnit);
            break;
        case 2:
            e.primaryUnit = Byte(ed.capacitanceUnit);
            break;
        default:
            e.primaryUnit = Byte(ed.resistanceUnit);
    }
    e.primaryReference = ed.primaryReference;
    e.secondaryTolerance = StoredTolerance(ed.secondaryTolerance, ed.secondaryOffText);
    e.secondaryParameter = Byte(ed.secondaryParameter);
    e.secondaryUnit = ed.secondaryParameter == 0 ? Byte(ed.secondaryUnit) : 0;
    e.secondaryReference = ed.secondaryReference;
    e.settings = ed.settings.bytes;
    return e;
}

TLoadedEntry LoadEntry(const TProfileEntry& e, const std::string& primaryOffText,
                       const std::string& secondaryOffText) {
    TLoadedEntry out;
    out.entryName = e.name;
    out.primaryTolerance = LoadedTolerance(e.primaryTolerance, primaryOffText);
    out.primaryParameter = ListIndex(e.primaryParameter);
    out.primaryUnit = ListIndex(e.primaryUnit);
    out.primaryReference = e.primaryReference;
    out.secondaryTolerance = LoadedTolerance(e.secondaryTolerance, secondaryOffText);
    out.secondaryParameter = ListIndex(e.secondaryParameter);
    if (out.secondaryParameter == 0) out.secondaryUnit = ListIndex(e.secondaryUnit);
    out.secondaryReference = e.secondaryReference;
    out.startPosition = e.startPosition;
    out.settings = protocol::SettingsFromProfile(e.settings);
    return out;
}

}  // namespace profiles
