// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter decode: frames in hex, one per line, to the read-outs a connected
// window would show after each of them, as one JSON object per frame.

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "build_info.h"
#include "cli/commands.h"
#include "cli/frame_line.h"
#include "cli/options.h"
#include "display/screen_state.h"
#include "i18n/lang_engine.h"
#include "i18n/lang_folders.h"
#include "i18n/lexicon.h"
#include "log/log_row.h"
#include "log/tolerance.h"
#include "protocol/frame.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter decode [--lang CODE] [--lang-dir DIR] [--decimal C] [--group C] [--model N]\n"
    "                        [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                        [FILE|-]\n"
    "  VALUE: a number with an optional prefix: R=100k, R=2M, L=100m, L=47u, C=10n, C=220p,\n"
    "         Q=50, D=0.01 ('.' is always accepted as the decimal point)\n"
    "  TOL:   a percentage (5%, 0.5%, 5), '<', '>' or off\n"
    "  CODE:  ru, or the code of a language file in DIR (by default the lang folder\n"
    "         beside the program, under the current folder, or installed)\n";

struct TDecodeOptions {
    std::string lang = "ru";
    std::optional<std::string> langDir;
    std::optional<std::string> decimal;
    std::optional<std::string> group;
    int model = 0;
    std::string file = "-";
    TReferenceOption primary;
    TReferenceOption secondary;
};

bool ParseArgs(const std::vector<std::string>& args, TDecodeOptions& opt, std::string& error) {
    bool fileSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--lang") {
            if (!value(v)) return false;
            if (i18n::NormalizeLanguageCode(v).empty()) {
                error = "--lang must be a two-letter language code such as ru or en";
                return false;
            }
            opt.lang = i18n::NormalizeLanguageCode(v);
        } else if (a == "--lang-dir") {
            if (!value(v)) return false;
            opt.langDir = v;
        } else if (a == "--decimal") {
            if (!value(v) || !ParseDecimalOption(v, error)) return false;
            opt.decimal = v;
        } else if (a == "--group") {
            if (!value(v)) return false;
            opt.group = v;
        } else if (a == "--ref" || a == "--tol" || a == "--ref2" || a == "--tol2") {
            if (!value(v)) return false;
            TReferenceOption& o = a.ends_with('2') ? opt.secondary : opt.primary;
            (a.starts_with("--ref") ? o.ref : o.tol) = v;
        } else if (a == "--model") {
            if (!value(v) || !ParseModelOption(v, opt.model, error)) return false;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else {
            if (fileSeen) {
                error = "only one input file";
                return false;
            }
            opt.file = a;
            fileSeen = true;
        }
    }
    return true;
}

// Controls shown on top of the current panel's own: the settings indicators
// live on the RLCD panel but describe the meter in every mode.
const std::vector<std::string>& IndicatorControls() {
    static const std::vector<std::string> names{"L_Level_RLC", "L_freq_RLC", "L_RLC_avto",
                                                "L_Prim_RLC",  "L_RQD_avto", "L_Sec_RLC",
                                                "L_SER_PER",   "L_SER_PER1"};
    return names;
}

// What the sorting left behind: the deviations keep their values between
// checks, as the log row shows them.
struct TSorting {
    logcore::TReferenceInput input;
    logcore::TDeviations deviations;
};

std::string SortingJson(const display::TScreenState& screen, const TSorting& sorting,
                        const display::TSeparators& sep, const i18n::TLexicons& lexicons) {
    const bool primaryOn = sorting.input.PrimaryOn();
    const bool secondaryOn = sorting.input.SecondaryOn();
    std::string j = ",\"verdict\":" + std::to_string(screen.State().ToleranceVerdict);
    const auto number = [](bool on, const std::optional<double>& v) {
        return on && v ? JsonNumber(*v) : std::string("null");
    };
    j += ",\"deviation1\":" + number(primaryOn, sorting.deviations.primary);
    j += ",\"deviation2\":" + number(secondaryOn, sorting.deviations.secondary);

    logcore::TLogRowInput row;
    row.shown = {screen.Text("L_Prim_RLC").value_or(""), screen.Text("L_prim_n").value_or(""),
                 screen.Text("L_Sec_RLC").value_or(""), screen.Text("L_sec_n").value_or("")};
    row.settings = screen.Settings();
    row.memory = screen.Memory();
    row.verdict = screen.State().ToleranceVerdict;
    row.primaryDeviation = sorting.deviations.primary;
    row.secondaryDeviation = sorting.deviations.secondary;
    row.primaryOn = primaryOn;
    row.secondaryOn = secondaryOn;
    row.mode = logcore::TLogMode::Single;
    row.position = 1;
    row.decimalSeparator = sep.decimal;
    const logcore::TLogRowCells cells = logcore::BuildLogRowCells(row, lexicons);
    j += ",\"row\":[";
    for (std::size_t i = 0; i < cells.cells.size(); ++i) {
        if (i) j += ",";
        j += JsonString(cells.cells[i].value_or(""));  // an unwritten cell of a new row is empty
    }
    return j + "]";
}

std::string FrameJson(const display::TScreenState& screen, const display::TFrameOutcome& o) {
    const protocol::TMeterState& st = screen.State();
    std::string j = "{\"accepted\":";
    j += o.decode.accepted ? "true" : "false";
    if (!o.decode.accepted)
        j += ",\"rejection\":" + JsonString(protocol::RejectionName(o.decode.rejection));
    j += ",\"mode\":" + std::to_string(st.DisplayMode);
    j += ",\"model\":" + std::to_string(static_cast<int>(st.Model));
    j += ",\"powerSave\":";
    j += st.PowerSave ? "true" : "false";
    j += ",\"panel\":" + JsonString(display::PanelName(screen.VisiblePanel()));

    j += ",\"screen\":{";
    bool first = true;
    auto field = [&](const std::string& name, const std::string& value) {
        if (!first) j += ",";
        first = false;
        j += JsonString(name) + ":" + value;
    };
    switch (screen.VisiblePanel()) {
        case display::TPanel::Rlcd:
            for (const std::string& c : display::RlcdControls()) field(c, JsonText(screen.Text(c)));
            break;
        case display::TPanel::Rd:
            for (const std::string& c : display::RdControls()) field(c, JsonText(screen.Text(c)));
            field("Im_Diod", screen.Image() ? std::to_string(*screen.Image()) : "null");
            for (const std::string& c : IndicatorControls()) field(c, JsonText(screen.Text(c)));
            break;
        case display::TPanel::U:
            for (const std::string& c : display::UControls()) field(c, JsonText(screen.Text(c)));
            for (const std::string& c : IndicatorControls()) field(c, JsonText(screen.Text(c)));
            break;
    }
    field("JP5", screen.Jp5Visible() ? JsonText(screen.Text("JP5")) : "null");
    j += "}";

    j += ",\"state\":{";
    j += "\"Rs\":" + JsonNumber(st.Rs);
    j += ",\"Xs\":" + JsonNumber(st.Xs);
    j += ",\"Rp\":" + JsonNumber(st.Rp);
    j += ",\"Xp\":" + JsonNumber(st.Xp);
    j += ",\"Z\":" + JsonNumber(st.Z);
    j += ",\"PhaseDeg\":" + JsonNumber(st.PhaseDeg);
    j += ",\"TestLevel\":" + JsonNumber(st.TestLevel);
    j += ",\"FrequencyHz\":" + std::to_string(st.FrequencyHz);
    j += ",\"DcMode\":";
    j += st.DcMode ? "true" : "false";
    j += ",\"settings\":[";
    const auto& bytes = screen.Settings().bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) j += ",";
        j += std::to_string(bytes[i]);
    }
    j += "]}}";
    return j;
}

}  // namespace

int RunDecode(const std::vector<std::string>& args) {
    TDecodeOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::cerr << "rlc-meter decode: " << error << "\n" << kUsage;
        return 2;
    }

    std::ifstream file;
    std::istream* in = &std::cin;
    if (opt.file != "-") {
        std::error_code ec;
        if (std::filesystem::is_directory(opt.file, ec)) {
            std::cerr << "rlc-meter decode: " << opt.file << " is a folder, not a file of frames\n";
            return 2;
        }
        file.open(opt.file);
        if (!file) {
            std::cerr << "rlc-meter decode: cannot open " << opt.file << "\n";
            return 2;
        }
        in = &file;
    }

    display::TSeparators sep = SystemSeparators();
    if (opt.decimal) sep.decimal = *opt.decimal;
    if (opt.group) sep.group = *opt.group;

    TSorting sorting;
    if (!BuildReference(opt.primary, opt.secondary, sep.decimal, sorting.input, error)) {
        std::cerr << "rlc-meter decode: " << error << "\n" << kUsage;
        return 2;
    }

    i18n::TLexicons lexicons;
    if (!LoadToolLanguage(opt.lang, opt.langDir, lexicons, error)) {
        std::cerr << "rlc-meter decode: " << error << "\n";
        return 2;
    }
    display::TScreenState screen(lexicons, sep);
    screen.SetToleranceCheck(
        [&sorting](const protocol::TMeterState& state, const protocol::TMeterSettings& settings) {
            const logcore::TToleranceResult r =
                logcore::CheckTolerance(sorting.input, logcore::MeasuredFrom(state, settings));
            sorting.deviations.Take(r, sorting.input);
            return r.verdict;
        });
    screen.Start(static_cast<protocol::TMeterModel>(opt.model));

    bool malformed = false;
    std::string line;
    std::vector<std::uint8_t> bytes;
    for (long lineNo = 1; std::getline(*in, line); ++lineNo) {
        const TLineKind kind = ReadFrameLine(line, bytes, error);
        if (kind == TLineKind::Blank) continue;
        if (kind == TLineKind::Malformed) {
            std::cerr << "rlc-meter decode: line " << lineNo << ": " << error << "\n";
            malformed = true;
            continue;
        }
        const display::TFrameOutcome outcome = screen.Feed(bytes);
        std::string json = FrameJson(screen, outcome);
        if (outcome.rlcd && outcome.rlcd->toleranceChecked) {
            json.pop_back();  // the closing brace
            json += SortingJson(screen, sorting, sep, lexicons) + "}";
        }
        // Output that is gone stays gone: reading on would be for nothing.
        if (!(std::cout << json << "\n")) break;
    }
    std::cout.flush();
    return malformed ? 1 : 0;
}

}  // namespace cli
