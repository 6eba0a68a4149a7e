// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// What recording and the log grid ask of the open profile. The window puts in
// the profile editor's operations; until it does, these act as an empty
// profile (no entries).
struct TProfileSeam {
    // Number of entries of the open profile.
    std::function<int()> ProfileCount;
    // Writes the profile view into the grid: 0 the whole view, k the row of entry k + 1.
    std::function<void(int first)> ShowProfileInGrid;
    // Loads entry n into the reference editor and the settings record.
    std::function<void(int entry)> LoadProfileEntry;
    // Re-opens the remembered profile; true when it is open.
    std::function<bool()> ReopenProfile;
};
