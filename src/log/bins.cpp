// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/bins.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace logcore {
namespace {

// A deviation is computed from two rounded numbers, so a part lying exactly on
// an edge (105 nF against 100 nF and 5 %) may come out a hair beyond it. This
// slack is far below any meter's resolution.
constexpr double kEdgeSlack = 1e-9;

std::string Trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// "+2%", "-1", "2.5%": a signed percentage.
std::optional<double> Percent(std::string text) {
    text = Trimmed(text);
    if (text.ends_with('%')) text.pop_back();
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    double v = 0;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, v);
    if (text.empty() || ec != std::errc{} || end != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string Number(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Signed(double v) {
    return (v > 0 ? "+" : "") + Number(v) + "%";
}

// Whether earlier bands together hold all of `band`.
bool Hidden(std::vector<TBinBand> earlier, const TBinBand& band) {
    std::sort(earlier.begin(), earlier.end(),
              [](const TBinBand& a, const TBinBand& b) { return a.lower < b.lower; });
    double reached = band.lower;  // covered from band.lower up to here
    bool started = false;
    for (const TBinBand& e : earlier) {
        if (e.lower > reached) break;
        if (e.upper >= reached) {
            reached = e.upper;
            started = true;
        }
    }
    return started && reached >= band.upper;
}

}  // namespace

std::optional<TBins> ParseBins(const std::string& text, std::string& error) {
    TBins bins;
    std::size_t at = 0;
    for (int index = 1;; ++index) {
        const std::size_t comma = text.find(',', at);
        std::string item = Trimmed(text.substr(at, comma - at));
        const std::string where = "band " + std::to_string(index) + " ('" + item + "')";
        if (item.empty()) {
            error = text.empty() || Trimmed(text).empty()
                        ? "the list of bands is empty"
                        : "band " + std::to_string(index) + " is empty";
            return std::nullopt;
        }
        if (index > kMaxBins) {
            error = "at most " + std::to_string(kMaxBins) + " bands";
            return std::nullopt;
        }
        TBinBand band;
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos) {
            if (item.starts_with("\u00B1")) item.erase(0, 2);
            const std::optional<double> p = Percent(item);
            if (!p) {
                error = where + " is not a percentage such as 2% or -1%:+2%";
                return std::nullopt;
            }
            if (*p < 0) {
                error = where +
                        ": a band of one width cannot be negative; write -A%:+B% for "
                        "a band on one side";
                return std::nullopt;
            }
            band = {-*p, *p};
        } else {
            const std::optional<double> a = Percent(item.substr(0, colon));
            const std::optional<double> b = Percent(item.substr(colon + 1));
            if (!a || !b) {
                error = where + " is not a pair of percentages such as -1%:+2%";
                return std::nullopt;
            }
            if (*a > *b) {
                error = where + ": the lower edge is above the upper one";
                return std::nullopt;
            }
            band = {*a, *b};
        }
        if (Hidden(bins.bands, band)) {
            error = where +
                    " lies inside the bands before it and would never get a part; "
                    "list narrower bands first";
            return std::nullopt;
        }
        bins.bands.push_back(band);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return bins;
}

std::string BandText(const TBinBand& band) {
    if (band.lower == -band.upper) return "\u00B1" + Number(band.upper) + "%";
    return Signed(band.lower) + ":" + Signed(band.upper);
}

std::optional<int> SortIntoBin(const TBins& bins, std::optional<double> deviation,
                               bool secondaryRejects) {
    if (bins.Empty() || !deviation || std::isnan(*deviation)) return std::nullopt;
    for (std::size_t i = 0; i < bins.bands.size(); ++i) {
        const TBinBand& b = bins.bands[i];
        if (*deviation >= b.lower - kEdgeSlack && *deviation <= b.upper + kEdgeSlack)
            return secondaryRejects ? kBinSecondaryOut : static_cast<int>(i) + 1;
    }
    return kBinOut;
}

std::optional<int> BinOfReading(const TBins& bins, const TReferenceInput& reference,
                                const TMeasured& measured) {
    if (bins.Empty()) return std::nullopt;
    // The secondary alone, so a primary tolerance box cannot hide its verdict.
    TReferenceInput secondaryOnly = reference;
    secondaryOnly.CBox5 = secondaryOnly.CBox5Off;
    const bool rejects = reference.SecondaryOn() &&
                         MarksSecondaryDeviation(CheckTolerance(secondaryOnly, measured).verdict);
    return SortIntoBin(bins, PrimaryDeviation(reference, measured), rejects);
}

std::optional<int> BinOfValues(const TBins& bins, const TReferenceInput& reference,
                               std::optional<double> primary, std::optional<double> secondary) {
    const std::optional<double> ref = PrimaryReference(reference);
    if (bins.Empty() || !ref || !primary) return std::nullopt;
    const double deviation = (*primary - *ref) / std::fabs(*ref) * 100;
    const bool rejects = secondary && SecondaryRejectsValue(reference, *secondary).value_or(false);
    return SortIntoBin(bins, std::isfinite(deviation) ? std::optional(deviation) : std::nullopt,
                       rejects);
}

void TBinCounts::Add(std::optional<int> bin) {
    if (!bin || *bin < 0 || *bin > kBinSecondaryOut) {
        ++unsorted;
        return;
    }
    ++byBin[static_cast<std::size_t>(*bin)];
}

long TBinCounts::Sorted() const {
    long n = 0;
    for (long c : byBin) n += c;
    return n;
}

std::optional<double> TBinCounts::Share(int bin) const {
    const long sorted = Sorted();
    if (sorted == 0 || bin < 0 || bin > kBinSecondaryOut) return std::nullopt;
    return static_cast<double>(byBin[static_cast<std::size_t>(bin)]) / static_cast<double>(sorted);
}

}  // namespace logcore
