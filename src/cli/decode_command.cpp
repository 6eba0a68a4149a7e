// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter decode: frames in hex, one per line, to the read-outs a connected
// window would show after each of them, as one JSON object per frame.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "build_info.h"
#include "cli/commands.h"
#include "cli/frame_line.h"
#include "cli/json_out.h"
#include "cli/line_reader.h"
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

using namespace std::string_view_literals;

constexpr const char* kUsage =
    "usage: rlc-meter decode [--lang CODE] [--lang-dir DIR] [--decimal C] [--group C] [--model N]\n"
    "                        [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                        [--bins LIST] [FILE|-]\n"
    "  VALUE: a number with an optional prefix: R=100k, R=2M, L=100m, L=47u, C=10n, C=220p,\n"
    "         Q=50, D=0.01 ('.' is always accepted as the decimal point)\n"
    "  TOL:   a percentage (5%, 0.5%, 5), '<', '>' or off\n"
    "  LIST:  up to 9 bands around the --ref reference, 1%,2%,5% or -1%:+2%; \"bin\" is\n"
    "         the first that holds the part, 0 out, 10 rejected by --tol2\n"
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
    std::optional<std::string> bins;
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
        } else if (a == "--bins") {
            if (!value(v)) return false;
            opt.bins = v;
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

// A control as the output names it: its JSON key written once.
struct TNamedControl {
    display::TControl control;
    std::string key;  // "\"name\":"
};

std::vector<TNamedControl> Named(const std::vector<std::string>& names) {
    std::vector<TNamedControl> out;
    for (const std::string& name : names) {
        std::string key;
        AppendJsonString(key, name);
        out.push_back({*display::ControlByName(name), key + ":"});
    }
    return out;
}

// The controls each panel's output lists. The settings indicators live on the
// RLCD panel but describe the meter in every mode, so the other panels show
// them on top of their own.
struct TPanelControls {
    std::vector<TNamedControl> rlcd = Named(display::RlcdControls());
    std::vector<TNamedControl> rd = Named(display::RdControls());
    std::vector<TNamedControl> u = Named(display::UControls());
    std::vector<TNamedControl> indicators =
        Named({"L_Level_RLC", "L_freq_RLC", "L_RLC_avto", "L_Prim_RLC", "L_RQD_avto", "L_Sec_RLC",
               "L_SER_PER", "L_SER_PER1"});
};

// The screen's fields as JSON, each written again only when its text changed:
// most of the screen stays the same from one frame to the next.
class TScreenJson {
  public:
    void Append(TOutBuffer& out, const TNamedControl& named,
                const std::optional<std::string>& text) {
        TField& f = fields_[static_cast<std::size_t>(named.control)];
        if (!f.valid || f.text != text) {
            f.text = text;
            f.json = named.key;
            AppendJsonText(f.json, text);
            f.json += ',';
            f.valid = true;
        }
        out += f.json;
    }

  private:
    struct TField {
        bool valid = false;
        std::optional<std::string> text;
        std::string json;  // "key":"text",
    };
    std::array<TField, display::kControlCount> fields_;
};

// The settings bytes as a JSON array, written again only when one changed.
class TSettingsJson {
  public:
    using TBytes = decltype(protocol::TMeterSettings{}.bytes);
    void Append(TOutBuffer& out, const TBytes& bytes) {
        if (json_.empty() || bytes != bytes_) {
            bytes_ = bytes;
            json_ = "[";
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (i) json_ += ',';
                json_ += std::to_string(bytes[i]);
            }
            json_ += ']';
        }
        out += json_;
    }

  private:
    TBytes bytes_{};
    std::string json_;
};

// What the sorting left behind: the deviations keep their values between
// checks, as the log row shows them.
struct TSorting {
    logcore::TReferenceInput input;
    logcore::TDeviations deviations;
    logcore::TBins bins;
    std::optional<int> bin;  // of the last check
};

// The log row's cells as JSON strings, each written again only when it changed.
class TRowJson {
  public:
    void Append(TOutBuffer& out, std::size_t index, const std::string& text) {
        if (index >= cells_.size()) cells_.resize(index + 1);
        TCell& cell = cells_[index];
        if (!cell.valid || cell.text != text) {
            cell.text = text;
            cell.json.clear();
            AppendJsonString(cell.json, text);
            cell.valid = true;
        }
        out += cell.json;
    }

  private:
    struct TCell {
        bool valid = false;
        std::string text;
        std::string json;
    };
    std::vector<TCell> cells_;
};

void AppendSorting(TOutBuffer& j, const display::TScreenState& screen, const TSorting& sorting,
                   const display::TSeparators& sep, const i18n::TLexicons& lexicons,
                   TRowJson& rowJson) {
    const bool primaryOn = sorting.input.PrimaryOn();
    const bool secondaryOn = sorting.input.SecondaryOn();
    j += ",\"verdict\":"sv;
    AppendJsonInt(j, screen.State().ToleranceVerdict);
    const auto number = [&j](bool on, const std::optional<double>& v) {
        if (on && v)
            AppendJsonNumber(j, *v);
        else
            j += "null"sv;
    };
    j += ",\"bin\":"sv;
    if (sorting.bin)
        AppendJsonInt(j, *sorting.bin);
    else
        j += "null"sv;
    j += ",\"deviation1\":"sv;
    number(primaryOn, sorting.deviations.primary);
    j += ",\"deviation2\":"sv;
    number(secondaryOn, sorting.deviations.secondary);

    using display::TControl;
    const auto text = [&screen](TControl c) { return screen.Text(c).value_or(""); };
    logcore::TLogRowInput row;
    row.shown = {text(TControl::L_Prim_RLC), text(TControl::L_prim_n), text(TControl::L_Sec_RLC),
                 text(TControl::L_sec_n)};
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
    j += ",\"row\":["sv;
    for (std::size_t i = 0; i < cells.cells.size(); ++i) {
        if (i) j += ',';
        static const std::string empty;  // an unwritten cell of a new row is empty
        rowJson.Append(j, i, cells.cells[i] ? *cells.cells[i] : empty);
    }
    j += ']';
}

// The frame's object without its closing brace.
void AppendFrame(TOutBuffer& j, const display::TScreenState& screen,
                 const display::TFrameOutcome& o, const TPanelControls& controls,
                 TScreenJson& screenJson, TSettingsJson& settingsJson) {
    const protocol::TMeterState& st = screen.State();
    j += "{\"accepted\":"sv;
    AppendJsonBool(j, o.decode.accepted);
    if (!o.decode.accepted) {
        j += ",\"rejection\":"sv;
        AppendJsonString(j, protocol::RejectionName(o.decode.rejection));
    }
    j += ",\"mode\":"sv;
    AppendJsonInt(j, st.DisplayMode);
    j += ",\"model\":"sv;
    AppendJsonInt(j, static_cast<int>(st.Model));
    j += ",\"powerSave\":"sv;
    AppendJsonBool(j, st.PowerSave);
    j += ",\"panel\":"sv;
    AppendJsonString(j, display::PanelName(screen.VisiblePanel()));

    j += ",\"screen\":{"sv;
    const auto fields = [&](const std::vector<TNamedControl>& list) {
        for (const TNamedControl& c : list) screenJson.Append(j, c, screen.Text(c.control));
    };
    switch (screen.VisiblePanel()) {
        case display::TPanel::Rlcd:
            fields(controls.rlcd);
            break;
        case display::TPanel::Rd:
            fields(controls.rd);
            j += "\"Im_Diod\":"sv;
            if (screen.Image())
                AppendJsonInt(j, *screen.Image());
            else
                j += "null"sv;
            j += ',';
            fields(controls.indicators);
            break;
        case display::TPanel::U:
            fields(controls.u);
            fields(controls.indicators);
            break;
    }
    j += "\"JP5\":"sv;
    if (screen.Jp5Visible())
        AppendJsonText(j, screen.Text(display::TControl::JP5));
    else
        j += "null"sv;
    j += '}';

    const auto number = [&j](std::string_view key, double v) {
        j += key;
        AppendJsonNumber(j, v);
    };
    number(",\"state\":{\"Rs\":", st.Rs);
    number(",\"Xs\":", st.Xs);
    number(",\"Rp\":", st.Rp);
    number(",\"Xp\":", st.Xp);
    number(",\"Z\":", st.Z);
    number(",\"PhaseDeg\":", st.PhaseDeg);
    number(",\"TestLevel\":", st.TestLevel);
    j += ",\"FrequencyHz\":"sv;
    AppendJsonInt(j, st.FrequencyHz);
    j += ",\"DcMode\":"sv;
    AppendJsonBool(j, st.DcMode);
    j += ",\"settings\":"sv;
    settingsJson.Append(j, screen.Settings().bytes);
    j += '}';
}

}  // namespace

int RunDecode(const std::vector<std::string>& args) {
    TDecodeOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::cerr << "rlc-meter decode: " << error << "\n" << kUsage;
        return 2;
    }

    struct TOwnedFd {
        int fd = -1;
        ~TOwnedFd() {
            if (fd >= 0) ::close(fd);
        }
    } file;
    int fd = STDIN_FILENO;
    if (opt.file != "-") {
        std::error_code ec;
        if (std::filesystem::is_directory(opt.file, ec)) {
            std::cerr << "rlc-meter decode: " << opt.file << " is a folder, not a file of frames\n";
            return 2;
        }
        fd = file.fd = ::open(opt.file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::cerr << "rlc-meter decode: cannot open " << opt.file << "\n";
            return 2;
        }
    }
    display::TSeparators sep = SystemSeparators();
    if (opt.decimal) sep.decimal = *opt.decimal;
    if (opt.group) sep.group = *opt.group;

    TSorting sorting;
    if (!BuildReference(opt.primary, opt.secondary, sep.decimal, sorting.input, error) ||
        !BuildBins(opt.bins, opt.primary, sorting.bins, error)) {
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
            sorting.bin = logcore::BinOfReading(sorting.bins, sorting.input,
                                                logcore::MeasuredFrom(state, settings));
            return r.verdict;
        });
    screen.Start(static_cast<protocol::TMeterModel>(opt.model));

    const TPanelControls controls;
    TScreenJson screenJson;
    TSettingsJson settingsJson;
    TRowJson rowJson;
    bool malformed = false;
    std::vector<std::uint8_t> bytes;
    TOutBuffer out;
    constexpr std::size_t kFlushAt = std::size_t{1} << 16;
    const auto flush = [&out] {
        const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        out.clear();
        return written;
    };
    TLineReader lines(fd);
    std::string_view line;
    bool cut = false;
    for (long lineNo = 1; lines.Next(line, cut); ++lineNo) {
        const TLineKind kind = cut ? TLineKind::Malformed : ReadFrameLine(line, bytes, error);
        if (kind == TLineKind::Blank) continue;
        if (kind == TLineKind::Malformed) {
            if (cut) error = "longer than any frame line";
            std::cerr << "rlc-meter decode: line " << lineNo << ": " << error << "\n";
            malformed = true;
            continue;
        }
        const display::TFrameOutcome outcome = screen.Feed(bytes);
        AppendFrame(out, screen, outcome, controls, screenJson, settingsJson);
        if (outcome.rlcd && outcome.rlcd->toleranceChecked)
            AppendSorting(out, screen, sorting, sep, lexicons, rowJson);
        out += "}\n"sv;
        // Output that is gone stays gone: reading on would be for nothing. A
        // reader at the other end of a pipe sees each frame before we wait.
        if ((out.size() >= kFlushAt || lines.WillWait()) && !(flush() && std::fflush(stdout) == 0))
            break;
    }
    if (!out.empty()) flush();
    if (!lines.Error().empty()) {
        std::cerr << "rlc-meter decode: cannot read " << opt.file << ": " << lines.Error() << "\n";
        return 1;
    }
    return malformed ? 1 : 0;
}

}  // namespace cli
