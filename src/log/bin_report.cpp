// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/bin_report.h"

#include <charconv>

#include "log/journal.h"

namespace logcore {
namespace {

std::string Percent(std::optional<double> share, const std::string& separator,
                    const i18n::TLexicons& lexicons) {
    if (!share) return lexicons.Dstat.GetItem(i18n::stat::NotDefined);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, *share * 100, std::chars_format::fixed, 1);
    std::string text(buf, r.ptr);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, separator);
    return text + " %";
}

// Bin numbers in the order a report lists them.
std::vector<int> Listed(const TBins& bins) {
    std::vector<int> out;
    for (std::size_t i = 0; i < bins.bands.size(); ++i) out.push_back(static_cast<int>(i) + 1);
    out.push_back(kBinOut);
    out.push_back(kBinSecondaryOut);
    return out;
}

}  // namespace

std::string BinCountsText(const TBins& bins, const TBinCounts& counts,
                          const i18n::TLexicons& lexicons, const std::string& decimalSeparator) {
    using namespace i18n::bintext;
    const auto& d = lexicons.Dbins;
    std::string out = d.GetItem(Title) + "\n";
    out += "  " + d.GetItem(Sorted) + ": " + std::to_string(counts.Sorted()) + "\n";
    for (int bin : Listed(bins)) {
        const std::string label = bin == kBinOut ? d.GetItem(Out)
                                  : bin == kBinSecondaryOut
                                      ? d.GetItem(SecondaryOut)
                                      : BandText(bins.bands[static_cast<std::size_t>(bin - 1)]);
        out += "  " + std::to_string(bin) + " " + label + ": " +
               std::to_string(counts.byBin[static_cast<std::size_t>(bin)]) + " (" +
               Percent(counts.Share(bin), decimalSeparator, lexicons) + ")\n";
    }
    out += "  " + d.GetItem(Unsorted) + ": " + std::to_string(counts.unsorted) + "\n";
    return out;
}

std::string BinCountsJson(const TBins& bins, const TBinCounts& counts) {
    std::string out = "{\"bands\": [";
    bool first = true;
    for (int bin : Listed(bins)) {
        if (!first) out += ", ";
        first = false;
        out += "{\"bin\": " + std::to_string(bin);
        if (bin == kBinOut || bin == kBinSecondaryOut) {
            out += ", \"band\": null, \"lower\": null, \"upper\": null";
        } else {
            const TBinBand& b = bins.bands[static_cast<std::size_t>(bin - 1)];
            out += ", \"band\": \"" + BandText(b) + "\", \"lower\": " + JournalNumber(b.lower) +
                   ", \"upper\": " + JournalNumber(b.upper);
        }
        const std::optional<double> share = counts.Share(bin);
        out += ", \"count\": " + std::to_string(counts.byBin[static_cast<std::size_t>(bin)]) +
               ", \"share\": " + (share ? JournalNumber(*share) : std::string("null")) + "}";
    }
    return out + "], \"sorted\": " + std::to_string(counts.Sorted()) +
           ", \"unsorted\": " + std::to_string(counts.unsorted) + "}";
}

}  // namespace logcore
