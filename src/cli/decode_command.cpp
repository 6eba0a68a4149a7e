// rlc-meter decode: frames in hex, one per line, to the read-outs a connected
// window would show after each of them, as one JSON object per frame.

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/frame_line.h"
#include "display/screen_state.h"
#include "i18n/english.h"
#include "i18n/lexicon.h"
#include "protocol/frame.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter decode [--lang ru|en] [--decimal C] [--group C] [--model N] [FILE|-]\n";

struct TDecodeOptions {
    std::string lang = "ru";
    std::optional<std::string> decimal;
    std::optional<std::string> group;
    int model = 0;
    std::string file = "-";
};

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

    i18n::TLexicons lexicons;
    if (opt.lang == "en") lexicons.SetLanguage(i18n::EnglishReadoutTexts());
    display::TScreenState screen(lexicons, sep);
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
        std::cout << FrameJson(screen, outcome) << "\n";
    }
    std::cout.flush();
    return malformed ? 1 : 0;
}

}  // namespace cli
