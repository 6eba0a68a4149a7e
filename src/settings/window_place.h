// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// window.txt beside 1.dat: where the main window was and how large, so it
// opens there again. "key=value" lines in UTF-8:
//
//   geometry=120,80,1280,720    left, top, width, height of the window's
//                               inside, unmaximized
//   maximized=1
//
// A file that cannot be read as such is ignored: the window then opens
// centred at its design size.
namespace settings {

inline constexpr const char* kWindowPlaceFileName = "window.txt";

struct TRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TRect&, const TRect&) = default;
};

struct TWindowPlace {
    TRect geometry;
    bool maximized = false;

    friend bool operator==(const TWindowPlace&, const TWindowPlace&) = default;
};

std::optional<TWindowPlace> ReadWindowPlace(std::string_view text);
std::string WriteWindowPlace(const TWindowPlace& place);

// The remembered place made fit for the screens there are now: no smaller
// than `minimum` and no larger than the screen it is on, and on a screen
// enough to be grabbed (a screen that is gone moves it onto the first one,
// centred). `screens` are the screens' available areas, the primary first.
TRect PlaceOnScreens(const TRect& remembered, const std::vector<TRect>& screens, int minimumWidth,
                     int minimumHeight);

}  // namespace settings
