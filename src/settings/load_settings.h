// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What restoring the settings from 1.dat asks of the window, worked out from
// the file's bytes alone. The window applies the plan in the order of the
// fields below and does the file-system steps itself.
namespace settings {

inline constexpr const char* kLanguageEnglish = "English";
inline constexpr const char* kLanguageRussian = "Русский";

struct TLoadSettingsPlan {
    // 1.dat was missing: create it empty, apply nothing else, result false.
    bool createEmptyFile = false;

    // Check state of the auto-connect box; a change runs its click handling,
    // which writes the byte back (so any non-zero value is stored as 1).
    bool autoConnectChecked = false;
    // New meter model, only when the stored byte is below 10 (4..9 included).
    std::optional<std::uint8_t> model;
    // Model radio button to check (0..3), for the model after the step above;
    // none for a model of 4 or more.
    std::optional<int> modelButton;
    // Entry to select in the language chooser (out of its range: the chooser
    // keeps its entry) and the default language to switch to.
    std::int32_t languageIndex = 0;
    std::string defaultLanguage = kLanguageRussian;
    // Last profile's path in UTF-8. None when the file holds no usable path;
    // the window returns false then, and also when no file exists at the path.
    std::optional<std::string> profilePath;
};

// `file` is the content of 1.dat, or none when it does not exist.
// `currentModel` is the model before loading (kept when the byte is 10 or more).
TLoadSettingsPlan PlanLoadSettings(std::optional<std::span<const std::uint8_t>> file,
                                   std::uint8_t currentModel);

// The profile's name as shown: the file name part of the path without its last
// five characters (the ".hex1" extension, dropped whatever it really is). The
// window's ProfileName is " " + this; the profile caption is the lexicon text
// "Профиль" + " " + this.
std::string ProfileNameFromPath(std::string_view utf8Path);

// Entry count from the first four bytes of a profile file; none when the file
// is shorter (an error: the load ends with false).
std::optional<std::int32_t> ProfileCountFromHeader(std::span<const std::uint8_t> header);

// Maximum of the entry spinner for a profile of `count` entries: count + 1,
// kept within int range for a damaged header.
int EntrySpinnerMaximum(std::int32_t count);

}  // namespace settings
