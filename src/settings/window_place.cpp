// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/window_place.h"

#include <algorithm>
#include <charconv>

namespace settings {
namespace {

// Whole numbers separated by commas, nothing else.
std::optional<std::vector<int>> Numbers(std::string_view text) {
    std::vector<int> out;
    while (true) {
        int v = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
        if (r.ec != std::errc()) return std::nullopt;
        out.push_back(v);
        text.remove_prefix(static_cast<std::size_t>(r.ptr - text.data()));
        if (text.empty()) return out;
        if (text.front() != ',') return std::nullopt;
        text.remove_prefix(1);
    }
}

// How much of `a` lies on `b`, in pixels.
long long Overlap(const TRect& a, const TRect& b) {
    const long long w = std::min<long long>(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const long long h = std::min<long long>(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

std::optional<TWindowPlace> ReadWindowPlace(std::string_view text) {
    std::optional<TRect> geometry;
    bool maximized = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        if (key == "geometry") {
            const auto n = Numbers(value);
            if (!n || n->size() != 4 || (*n)[2] <= 0 || (*n)[3] <= 0) return std::nullopt;
            geometry = TRect{(*n)[0], (*n)[1], (*n)[2], (*n)[3]};
        } else if (key == "maximized") {
            maximized = value == "1";
        }
    }
    if (!geometry) return std::nullopt;
    return TWindowPlace{*geometry, maximized};
}

std::string WriteWindowPlace(const TWindowPlace& p) {
    const TRect& g = p.geometry;
    return "geometry=" + std::to_string(g.x) + "," + std::to_string(g.y) + "," +
           std::to_string(g.width) + "," + std::to_string(g.height) +
           "\nmaximized=" + (p.maximized ? "1" : "0") + "\n";
}

TRect PlaceOnScreens(const TRect& remembered, const std::vector<TRect>& screens, int minimumWidth,
                     int minimumHeight) {
    TRect r = remembered;
    r.width = std::max(r.width, minimumWidth);
    r.height = std::max(r.height, minimumHeight);
    if (screens.empty()) return r;
    // The screen it lies on most; none: the first, centred.
    const TRect* screen = &screens.front();
    long long most = 0;
    for (const TRect& s : screens)
        if (const long long o = Overlap(r, s); o > most) {
            most = o;
            screen = &s;
        }
    r.width = std::min(r.width, std::max(screen->width, minimumWidth));
    r.height = std::min(r.height, std::max(screen->height, minimumHeight));
    if (most == 0) {
        r.x = screen->x + std::max(0, (screen->width - r.width) / 2);
        r.y = screen->y + std::max(0, (screen->height - r.height) / 2);
        return r;
    }
    // Wholly on that screen where it fits; otherwise its top left corner on
    // it, so the title bar stays within reach.
    r.x = std::max(screen->x, std::min(r.x, screen->x + screen->width - r.width));
    r.y = std::max(screen->y, std::min(r.y, screen->y + screen->height - r.height));
    return r;
}

}  // namespace settings
