// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colours of the log's verdict cells, and the contrast ratio that keeps their
// text readable (WCAG 2: at least 4.5 for normal text).
namespace display {

struct TRgb {
    int r = 0, g = 0, b = 0;
};

// (L1 + 0.05) / (L2 + 0.05) of the relative luminances, the lighter above:
// 1 for equal colours, 21 for black on white.
double ContrastRatio(TRgb a, TRgb b);

inline constexpr double kReadableContrast = 4.5;

// A pass: white on dark green; a reject: black on red (the display's red).
inline constexpr TRgb kPassFill{0, 128, 0};
inline constexpr TRgb kPassText{255, 255, 255};
inline constexpr TRgb kRejectFill{255, 0, 0};
inline constexpr TRgb kRejectText{0, 0, 0};

}  // namespace display
