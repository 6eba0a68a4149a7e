// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter profile: a .hex1 profile as JSON, every stored field of every
// entry plus the texts of its row in the window's profile view.

#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/json_out.h"
#include "cli/options.h"
#include "i18n/lexicon.h"
#include "profiles/profile_file.h"
#include "profiles/profile_view.h"
#include "protocol/settings.h"

namespace cli {
namespace {

constexpr const char* kUsage = "usage: rlc-meter profile FILE.hex1 [--lang ru|en] [--model N]\n";

struct TProfileOptions {
    std::string lang = "ru";
    int model = 0;
    std::string file;
};

bool ParseArgs(const std::vector<std::string>& args, TProfileOptions& opt, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--lang" || a == "--model") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--lang") {
                if (v != "ru" && v != "en") {
                    error = "--lang must be ru or en";
                    return false;
                }
                opt.lang = v;
            } else if (!ParseModelOption(v, opt.model, error)) {
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (!opt.file.empty()) {
            error = "only one profile file";
            return false;
        } else {
            opt.file = a;
        }
    }
    if (opt.file.empty()) {
        error = "no profile file given";
        return false;
    }
    return true;
}

template <typename Cells>
std::string JsonTexts(const Cells& cells) {
    std::string j = "[";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i) j += ",";
        if constexpr (std::is_same_v<typename Cells::value_type, std::string>)
            j += JsonString(cells[i]);
        else
            j += cells[i] ? JsonString(*cells[i]) : "null";
    }
    return j + "]";
}

std::string ReferenceJson(const std::string& tolerance, int parameter, int unit,
                          const std::string& reference) {
    return "{\"tolerance\":" + JsonString(tolerance) +
           ",\"off\":" + (tolerance == profiles::kToleranceOff ? "true" : "false") +
           ",\"parameter\":" + std::to_string(parameter) + ",\"unit\":" + std::to_string(unit) +
           ",\"reference\":" + JsonString(reference) + "}";
}

std::string EntryJson(const profiles::TProfileEntry& e, std::int32_t number,
                      protocol::TMeterModel model, std::uint8_t currentFreqIndex,
                      const i18n::TLexicons& lexicons) {
    std::string j = "{\"number\":" + std::to_string(number);
    j += ",\"name\":" + JsonString(e.name);
    j += ",\"startPosition\":" + std::to_string(e.startPosition);
    j += ",\"primary\":" +
         ReferenceJson(e.primaryTolerance, e.primaryParameter, e.primaryUnit, e.primaryReference);
    j += ",\"secondary\":" + ReferenceJson(e.secondaryTolerance, e.secondaryParameter,
                                           e.secondaryUnit, e.secondaryReference);
    j += ",\"settings\":[";
    for (std::size_t i = 0; i < e.settings.size(); ++i) {
        if (i) j += ",";
        j += std::to_string(e.settings[i]);
    }
    j += "],\"view\":" +
         JsonTexts(profiles::ProfileRowCells(e, number, model, currentFreqIndex, lexicons));
    return j + "}";
}

}  // namespace

int RunProfile(const std::vector<std::string>& args) {
    TProfileOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::cerr << "rlc-meter profile: " << error << "\n" << kUsage;
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadInputFile(opt.file, bytes, error)) {
        std::cerr << "rlc-meter profile: " << error << "\n";
        return 2;
    }
    profiles::TProfile profile = profiles::ReadProfile(bytes);
    int status = 0;
    if (!profile.Ok()) {
        std::cerr << "rlc-meter profile: " << opt.file
                  << ": damaged profile: " << profiles::DamageReason(profile.damage) << "\n";
        // The whole entries in front of a cut are still worth seeing.
        const std::optional<profiles::TSalvage> salvage = profiles::Salvage(bytes);
        if (!salvage) return 1;
        std::cerr << "rlc-meter profile: showing the " << salvage->whole << " whole entries of "
                  << salvage->counted << "\n";
        profile = profiles::ReadProfile(profiles::Salvaged(bytes));
        status = 1;
    }

    i18n::TLexicons lexicons;
    {
        std::string langError;
        if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, langError)) {
            std::fprintf(stderr, "rlc-meter profile: %s\n", langError.c_str());
            return 2;
        }
    }
    const auto model = static_cast<protocol::TMeterModel>(opt.model);
    // The view as the window shows it right after start-up: factory settings,
    // so the meter is not at DC.
    protocol::TMeterSettings current;
    protocol::TMeterState state;
    protocol::ApplyDefaults(current, state);

    std::string j = "{\"count\":" + std::to_string(profile.Count());
    j += ",\"header\":" + JsonTexts(profiles::ProfileHeaderCells(lexicons));
    j += ",\"entries\":[";
    for (std::int32_t n = 1; n <= profile.Count(); ++n) {
        if (n > 1) j += ",";
        j += EntryJson(profile.entries[static_cast<std::size_t>(n - 1)], n, model,
                       current.FreqIndex(), lexicons);
    }
    j += "]}";
    std::cout << j << "\n";
    return status;
}

}  // namespace cli
