// rlc-meter decode: frames in hex, one per line, to the read-outs a connected
// window would show after each of them, as one JSON object per frame.

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/frame_line.h"
#include "display/screen_state.h"
#include "i18n/english.h"
#include "i18n/lexicon.h"
#include "log/log_row.h"
#include "log/tolerance.h"
#include "protocol/frame.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter decode [--lang ru|en] [--decimal C] [--group C] [--model N]\n"
    "                        [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                        [FILE|-]\n"
    "  VALUE: a number with an optional prefix: R=100k, R=2M, L=100m, L=47u, C=10n, C=220p,\n"
    "         Q=50, D=0.01 ('.' is always accepted as the decimal point)\n"
    "  TOL:   a percentage (5%, 0.5%, 5), '<', '>' or off\n";

constexpr const char* kRefForms =
    "--ref must be R=VALUE (units: none, k, M), L=VALUE (u, m, none for henries) or C=VALUE "
    "(p, n, u), VALUE a non-negative number, for example R=100k, L=100m, C=10n";
constexpr const char* kRef2Forms =
    "--ref2 must be R=VALUE (units: none, k, M), Q=VALUE or D=VALUE (plain numbers), VALUE a "
    "non-negative number, for example R=2k, Q=50, D=0.01";
constexpr const char* kTolForms = "must be a percentage such as 5%, 0.5% or 5, or '<', '>' or off";

// A reference and its tolerance as typed on the command line.
struct TReferenceOption {
    std::optional<std::string> ref;  // PARAM=VALUE
    std::optional<std::string> tol;
};

struct TDecodeOptions {
    std::string lang = "ru";
    std::optional<std::string> decimal;
    std::optional<std::string> group;
    int model = 0;
    std::string file = "-";
    TReferenceOption primary;
    TReferenceOption secondary;
};

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
            if (v != "ru" && v != "en") {
                error = "--lang must be ru or en";
                return false;
            }
            opt.lang = v;
        } else if (a == "--decimal") {
            if (!value(v)) return false;
            opt.decimal = v;
        } else if (a == "--group") {
            if (!value(v)) return false;
            opt.group = v;
        } else if (a == "--ref" || a == "--tol" || a == "--ref2" || a == "--tol2") {
            if (!value(v)) return false;
            TReferenceOption& o = a.ends_with('2') ? opt.secondary : opt.primary;
            (a.starts_with("--ref") ? o.ref : o.tol) = v;
        } else if (a == "--model") {
            if (!value(v)) return false;
            int m = -1;
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), m);
            if (ec != std::errc{} || end != v.data() + v.size() || m < 0 || m > 3) {
                error = "--model must be 0, 1, 2 or 3";
                return false;
            }
            opt.model = m;
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

// The reference editor the options describe, with the point as the decimal
// separator.
bool BuildReference(const TDecodeOptions& opt, const std::string& decimal,
                    logcore::TReferenceInput& in, std::string& error) {
    in.decimalSeparator = ".";
    in.CBox5 = in.CBox5Off = in.CBox51 = in.CBox51Off = kOff;
    struct TSide {
        const TReferenceOption& option;
        const char* refName;
        const char* tolName;
        const char* forms;
    };
    const TSide sides[] = {{opt.primary, "--ref", "--tol", kRefForms},
                           {opt.secondary, "--ref2", "--tol2", kRef2Forms}};
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

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);  // UTF-8 passes through
                }
        }
    }
    return out + "\"";
}

std::string JsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc{} ? std::string(buf, end) : "null";
}

std::string JsonText(const std::optional<std::string>& text) {
    return text ? JsonString(*text) : "null";
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
    double primaryDeviation = 0;
    double secondaryDeviation = 0;
};

std::string SortingJson(const display::TScreenState& screen, const TSorting& sorting,
                        const display::TSeparators& sep, const i18n::TLexicons& lexicons) {
    const bool primaryOn = sorting.input.PrimaryOn();
    const bool secondaryOn = sorting.input.SecondaryOn();
    std::string j = ",\"verdict\":" + std::to_string(screen.State().ToleranceVerdict);
    j += ",\"deviation1\":" + (primaryOn ? JsonNumber(sorting.primaryDeviation) : "null");
    j += ",\"deviation2\":" + (secondaryOn ? JsonNumber(sorting.secondaryDeviation) : "null");

    logcore::TLogRowInput row;
    row.shown = {screen.Text("L_Prim_RLC").value_or(""), screen.Text("L_prim_n").value_or(""),
                 screen.Text("L_Sec_RLC").value_or(""), screen.Text("L_sec_n").value_or("")};
    row.settings = screen.Settings();
    row.memory = screen.Memory();
    row.verdict = screen.State().ToleranceVerdict;
    row.primaryDeviation = sorting.primaryDeviation;
    row.secondaryDeviation = sorting.secondaryDeviation;
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
    if (!BuildReference(opt, sep.decimal, sorting.input, error)) {
        std::cerr << "rlc-meter decode: " << error << "\n" << kUsage;
        return 2;
    }

    i18n::TLexicons lexicons;
    if (opt.lang == "en") lexicons.SetLanguage(i18n::EnglishReadoutTexts());
    display::TScreenState screen(lexicons, sep);
    screen.SetToleranceCheck(
        [&sorting](const protocol::TMeterState& state, const protocol::TMeterSettings& settings) {
            const logcore::TToleranceResult r =
                logcore::CheckTolerance(sorting.input, logcore::MeasuredFrom(state, settings));
            if (r.primaryDeviation) sorting.primaryDeviation = *r.primaryDeviation;
            if (r.secondaryDeviation) sorting.secondaryDeviation = *r.secondaryDeviation;
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
        std::cout << json << "\n";
    }
    std::cout.flush();
    return malformed ? 1 : 0;
}

}  // namespace cli
