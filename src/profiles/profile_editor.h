// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "profiles/profile_file.h"
#include "protocol/settings.h"

// Between a profile entry and the reference editor, the entry chooser, the
// start position and the meter settings it is written from and loaded into.
namespace profiles {

// The editor as the window holds it; texts in UTF-8.
struct TEditorState {
    std::string entryName;           // CBox6
    std::int32_t startPosition = 1;  // SE1
    std::string primaryTolerance;    // CBox5 text
    std::string primaryOffText;      // CBox5 item 0
    int primaryParameter = 0;        // CBox2: 0 R, 1 L, 2 C
    int resistanceUnit = 0;          // CBox1
    int inductanceUnit = 0;          // CBox3
    int capacitanceUnit = 0;         // CBox4
    std::string primaryReference;    // E2
    std::string secondaryTolerance;  // CBox51 text
    std::string secondaryOffText;    // CBox51 item 0
    int secondaryParameter = 0;      // CBox11: 0 R, 1 Q, 2 D
    int secondaryUnit = 0;           // CBox31
    std::string secondaryReference;  // E11
    protocol::TMeterSettings settings;
};

TProfileEntry EntryFromEditor(const TEditorState& editor);

// What loading an entry puts into the editor. Unit indices go to the box of
// the entry's parameter only; the other unit boxes keep their choice. A
// parameter or unit byte outside 0..2 (a damaged entry) loads as 0.
struct TLoadedEntry {
    std::string entryName;
    std::string primaryTolerance;  // the off text for "OFF"
    int primaryParameter = 0;
    int primaryUnit = 0;  // into CBox1, CBox3 or CBox4 by the parameter
    std::string primaryReference;
    std::string secondaryTolerance;
    int secondaryParameter = 0;
    std::optional<int> secondaryUnit;  // CBox31, shown; none: CBox31 hidden
    std::string secondaryReference;
    std::int32_t startPosition = 0;
    // Made fit to send: SourceIndex above 1 becomes 0, byte 17 becomes 0.
    protocol::TMeterSettings settings;
};

// `primaryOffText`, `secondaryOffText`: item 0 of each tolerance list in the
// current language.
TLoadedEntry LoadEntry(const TProfileEntry& entry, const std::string& primaryOffText,
                       const std::string& secondaryOffText);

}  // namespace profiles
