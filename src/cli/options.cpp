// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <filesystem>
#include <vector>

#include "build_info.h"
#include "i18n/lang_engine.h"
#include "i18n/lang_folders.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace cli {
namespace {

constexpr const char* kRefForms =
    "--ref must be R=VALUE (units: none, k, M), L=VALUE (u, m, none for henries) or C=VALUE "
    "(p, n, u), VALUE a non-negative number, for example R=100k, L=100m, C=10n";
constexpr const char* kRef2Forms =
    "--ref2 must be R=VALUE (units: none, k, M), Q=VALUE or D=VALUE (plain numbers), VALUE a "
    "non-negative number, for example R=2k, Q=50, D=0.01";
constexpr const char* kTolForms = "must be a percentage such as 5%, 0.5% or 5, or '<', '>' or off";

constexpr const char* kOff = "off";

// The number part of a value with '.' as its point; the locale's separator is
// taken too.
std::optional<std::string> PlainNumber(std::string text, const std::string& decimal) {
    if (!decimal.empty() && decimal != ".") {
        const std::size_t at = text.find(decimal);
        if (at != std::string::npos) text.replace(at, decimal.size(), ".");
    }
    const std::optional<double> v = logcore::ParseLocaleNumber(text, ".");
    if (!v || *v < 0 || text.find_first_of(" +-") != std::string::npos) return std::nullopt;
    return text;
}

// PARAM=VALUE into the editor's parameter, value text and unit index.
// `params` lists the parameter letters in item order; `units[p]` the prefixes
// of parameter p's unit list in item order ("-" for none, "" when the
// parameter takes no unit).
bool ParseReference(const std::string& option, const char* params,
                    const std::vector<std::vector<std::string>>& units, const std::string& decimal,
                    int& param, std::string& value, int& unit) {
    const std::size_t eq = option.find('=');
    if (eq != 1) return false;
    const char* found = std::strchr(params, option[0]);
    if (option[0] == '\0' || found == nullptr) return false;
    param = static_cast<int>(found - params);
    std::string text = option.substr(2);
    const std::vector<std::string>& list = units[static_cast<std::size_t>(param)];
    std::string prefix = "-";
    for (const char* p : {"k", "M", "m", "u", "\u00B5", "\u03BC", "n", "p"}) {
        const std::string_view pv(p);
        if (text.size() > pv.size() && text.ends_with(pv)) {
            prefix = (pv == "\u00B5" || pv == "\u03BC") ? "u" : std::string(pv);
            text.resize(text.size() - pv.size());
            break;
        }
    }
    unit = 0;
    if (!list.empty()) {
        auto it = std::find(list.begin(), list.end(), prefix);
        if (it == list.end()) return false;
        unit = static_cast<int>(it - list.begin());
    } else if (prefix != "-") {
        return false;
    }
    const std::optional<std::string> number = PlainNumber(text, decimal);
    if (!number) return false;
    value = *number;
    return true;
}

// A tolerance as the box would hold it.
std::optional<std::string> ParseTolerance(std::string text, const std::string& decimal) {
    if (text == kOff || text == "<" || text == ">") return text;
    if (text.ends_with("%")) text.pop_back();
    const std::optional<std::string> number = PlainNumber(text, decimal);
    if (!number) return std::nullopt;
    return *number + "%";
}

}  // namespace

// The user's numeric separators, from the environment's locale.
display::TSeparators SystemSeparators() {
    display::TSeparators sep{".", ""};
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv* lc = std::localeconv();
        if (lc->decimal_point && *lc->decimal_point) sep.decimal = lc->decimal_point;
        if (lc->thousands_sep) sep.group = lc->thousands_sep;
    }
    std::setlocale(LC_NUMERIC, "C");  // keep the JSON numbers plain
    return sep;
}

bool BuildReference(const TReferenceOption& primary, const TReferenceOption& secondary,
                    const std::string& decimal, logcore::TReferenceInput& in, std::string& error) {
    in.decimalSeparator = ".";
    in.CBox5 = in.CBox5Off = in.CBox51 = in.CBox51Off = kOff;
    struct TSide {
        const TReferenceOption& option;
        const char* refName;
        const char* tolName;
        const char* forms;
    };
    const TSide sides[] = {{primary, "--ref", "--tol", kRefForms},
                           {secondary, "--ref2", "--tol2", kRef2Forms}};
    for (int side = 0; side < 2; ++side) {
        const TSide& s = sides[side];
        if (s.option.tol && !s.option.ref) {
            error = std::string(s.tolName) + " needs " + s.refName;
            return false;
        }
        if (!s.option.ref) continue;
        int param = 0;
        int unit = 0;
        std::string value;
        const bool ok = side == 0
                            ? ParseReference(*s.option.ref, "RLC",
                                             {{"-", "k", "M"}, {"u", "m", "-"}, {"p", "n", "u"}},
                                             decimal, param, value, unit)
                            : ParseReference(*s.option.ref, "RQD", {{"-", "k", "M"}, {}, {}},
                                             decimal, param, value, unit);
        if (!ok) {
            error = std::string(s.forms) + " (got '" + *s.option.ref + "')";
            return false;
        }
        std::optional<std::string> tol = std::string(kOff);
        if (s.option.tol) tol = ParseTolerance(*s.option.tol, decimal);
        if (!tol) {
            error = std::string(s.tolName) + " " + kTolForms + " (got '" + *s.option.tol + "')";
            return false;
        }
        if (side == 0) {
            in.CBox2 = param;
            in.E2 = value;
            (param == logcore::primary::R   ? in.CBox1
             : param == logcore::primary::L ? in.CBox3
                                            : in.CBox4) = unit;
            in.CBox5 = *tol;
        } else {
            in.CBox11 = param;
            in.E11 = value;
            in.CBox31 = unit;
            in.CBox51 = *tol;
        }
    }
    return true;
}

bool BuildBins(const std::optional<std::string>& text, const TReferenceOption& primary,
               logcore::TBins& bins, std::string& error) {
    bins = {};
    if (!text) return true;
    if (!primary.ref) {
        error = "--bins needs --ref: the bands lie around the reference";
        return false;
    }
    const std::optional<logcore::TBins> parsed = logcore::ParseBins(*text, error);
    if (!parsed) {
        error = "--bins: " + error;
        return false;
    }
    bins = *parsed;
    return true;
}

bool LoadToolLanguage(const std::string& code, const std::optional<std::string>& dir,
                      i18n::TLexicons& lexicons, std::string& error) {
    if (code == "ru") return true;
    std::vector<std::filesystem::path> folders;
    if (dir) {
        folders.push_back(*dir);
    } else {
        std::error_code ec;
        const auto program = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
        folders = i18n::LanguageFolderCandidates(program, std::filesystem::current_path(ec),
                                                 RLC_DATA_FROM_BIN);
    }
    for (const auto& folder : folders) {
        i18n::TLangManEngine engine;
        engine.ListLanguages(folder);
        const std::optional<int> index = engine.FindCode(code);
        if (!index) continue;
        i18n::TTranslationTables tables;
        if (!engine.Load(*index, tables)) {
            error = "cannot read the language file " +
                    engine.Languages()[static_cast<std::size_t>(*index)].file.string();
            return false;
        }
        lexicons.SetLanguage(tables.lexicons);
        return true;
    }
    std::string where;
    for (const auto& folder : folders) where += (where.empty() ? "" : ", ") + folder.string();
    error = "no language file with the code " + code + " in " + where;
    return false;
}

bool ParseDecimalOption(const std::string& text, std::string& error) {
    std::size_t characters = 0;  // bytes that start a UTF-8 character
    for (const unsigned char c : text) characters += (c & 0xC0) != 0x80;
    if (characters == 1) return true;
    error = "--decimal must be exactly one character";
    return false;
}

bool HelpAsked(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--help") != args.end() ||
           std::find(args.begin(), args.end(), "-h") != args.end();
}

bool ParseModelOption(const std::string& text, int& model, std::string& error) {
    int m = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), m);
    if (ec != std::errc{} || end != text.data() + text.size() || m < 0 || m > 3) {
        error = "--model must be 0, 1, 2 or 3";
        return false;
    }
    model = m;
    return true;
}

}  // namespace cli
