// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter log: records a meter without a window, one line per accepted frame.

#include <QCoreApplication>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/line_sink.h"
#include "cli/link_run.h"
#include "cli/log_pipeline.h"
#include "cli/options.h"
#include "cli/set_option.h"
#include "log/matching.h"
#include "protocol/command.h"
#include "sim/part.h"

namespace cli {
namespace {

struct TLogOptions {
    TLinkArgs link;
    std::optional<std::string> out;
    TLogFormat format = TLogFormat::Csv;
    std::optional<long> count;
    std::optional<double> duration;
    std::optional<std::string> set;
    std::optional<protocol::TDisplayMode> mode;
    TReferenceOption primary;
    TReferenceOption secondary;
    std::optional<std::string> bins;
    bool capture = false;
    logcore::TCaptureSettings settle;
    bool settleGiven = false;
    std::string lang = "ru";
    std::optional<std::string> decimal;
};

bool ParseArgs(const std::vector<std::string>& args, TLogOptions& opt, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        auto value = [&] {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        auto whole = [&](long& n, long min) {
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            return ec == std::errc{} && end == v.data() + v.size() && n >= min;
        };
        if (const TArgTaken taken = TakeLinkArg(args, i, opt.link, error); taken != TArgTaken::No) {
            if (taken == TArgTaken::Bad) return false;
        } else if (a == "--out") {
            if (!value()) return false;
            opt.out = v;
        } else if (a == "--format") {
            if (!value()) return false;
            if (v != "csv" && v != "jsonl") {
                error = "--format must be csv or jsonl";
                return false;
            }
            opt.format = v == "csv" ? TLogFormat::Csv : TLogFormat::Jsonl;
        } else if (a == "--count") {
            if (!value()) return false;
            long n = 0;
            if (!whole(n, 1)) {
                error = "--count must be a whole number of lines, 1 or more";
                return false;
            }
            opt.count = n;
        } else if (a == "--duration") {
            if (!value()) return false;
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(s > 0) || s > 1e7) {
                error = "--duration must be a number of seconds above 0";
                return false;
            }
            opt.duration = s;
        } else if (a == "--set") {
            if (!value()) return false;
            opt.set = opt.set ? *opt.set + "," + v : v;
        } else if (a == "--mode") {
            if (!value()) return false;
            if (v == "rlcd")
                opt.mode = protocol::TDisplayMode::Rlcd;
            else if (v == "rd")
                opt.mode = protocol::TDisplayMode::Rd;
            else if (v == "u")
                opt.mode = protocol::TDisplayMode::U;
            else {
                error = "--mode must be rlcd, rd or u";
                return false;
            }
        } else if (a == "--ref" || a == "--tol" || a == "--ref2" || a == "--tol2") {
            if (!value()) return false;
            TReferenceOption& o = a.ends_with('2') ? opt.secondary : opt.primary;
            (a.starts_with("--ref") ? o.ref : o.tol) = v;
        } else if (a == "--bins") {
            if (!value()) return false;
            opt.bins = v;
        } else if (a == "--capture") {
            opt.capture = true;
        } else if (a == "--settle") {
            if (!value()) return false;
            long n = 0;
            if (!whole(n, 2) || n > 100) {
                error = "--settle must be a number of reports from 2 to 100";
                return false;
            }
            opt.settle.settleReports = static_cast<int>(n);
            opt.settleGiven = true;
        } else if (a == "--spread") {
            if (!value()) return false;
            const std::optional<double> p = logcore::ParseWithin(v, error);
            if (!p || *p <= 0) {
                error = "--spread must be a percentage above 0 and below 100, such as 0.5%";
                return false;
            }
            opt.settle.spreadPercent = *p;
            opt.settleGiven = true;
        } else if (a == "--lang") {
            if (!value()) return false;
            if (v != "ru" && v != "en") {
                error = "--lang must be ru or en";
                return false;
            }
            opt.lang = v;
        } else if (a == "--decimal") {
            if (!value() || !ParseDecimalOption(v, error)) return false;
            opt.decimal = v;
        } else {
            error = "unknown argument '" + a + "'";
            return false;
        }
    }
    if (opt.settleGiven && !opt.capture) {
        error = "--settle and --spread need --capture";
        return false;
    }
    if (!CheckLinkArgs(opt.link, error)) return false;
    if (opt.mode == protocol::TDisplayMode::U && opt.link.model &&
        !protocol::UCommandAllowed(static_cast<protocol::TMeterModel>(*opt.link.model))) {
        error = "--mode u: this model has no U mode (models 0 and 2 do)";
        return false;
    }
    return true;
}

constexpr const char* kUsage =
    "usage: rlc-meter log [--port PATH | --demo [--part PART]] [--model N]\n"
    "                     [--out FILE] [--format csv|jsonl] [--count N] [--duration SECONDS]\n"
    "                     [--set NAME=VALUE,...] [--mode rlcd|rd|u]\n"
    "                     [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                     [--bins LIST] [--capture [--settle N] [--spread P%]]\n"
    "                     [--lang ru|en] [--decimal C] [--quiet] [--no-reconnect]\n";

constexpr const char* kHelp =
    "Records the meter without a window: one line per accepted frame, until --count\n"
    "lines, --duration seconds, Ctrl-C or SIGTERM (the last line is always whole and\n"
    "the radio link is dropped with \"AT\").\n"
    "\n"
    "  --port PATH      the adapter's serial port; without it the USB adapter is looked\n"
    "                   for, as the window does\n"
    "  --demo           record the simulated meter instead (--part PART picks its part)\n"
    "  --model N        0 KS15, 1 KS16, 2 KS17, 3 KS19: the simulated meter's model, and\n"
    "                   the lists --set is checked against before connecting\n"
    "  --out FILE       append to FILE (created with a header) instead of standard output;\n"
    "                   each line is flushed to the disk\n"
    "  --format F       csv (default): the journal's columns, the read-out texts and the\n"
    "                   frame; jsonl: one JSON object a line\n"
    "  --count N        stop after N lines\n"
    "  --duration S     stop after S seconds\n"
    "  --set LIST       send settings first, names and values as the pickers offer them:\n"
    "                   freq (auto, 100, 120, 1k, 10k, 100k, 20k ... 150k), level (auto,\n"
    "                   1.0, 0.5, 0.1, 0.7), primary (auto, R, C, L, Z, C>0.5u, C>40m),\n"
    "                   secondary (auto, R, Q, D), circuit (auto, parallel, series),\n"
    "                   source (auto, 100, 1.6k), rate (0.5, 1, 2 seconds); a value the\n"
    "                   meter's model does not offer is refused before anything is sent\n"
    "  --mode M         switch the meter to rlcd, rd or u first\n"
    "  --ref, --tol     sort against a primary reference, e.g. --ref C=100n --tol 5%\n"
    "  --ref2, --tol2   and a secondary one, e.g. --ref2 D=0.01 --tol2 '<'\n"
    "  --bins LIST      sort into up to 9 bands around the --ref reference, the first\n"
    "                   that holds the part: 1%,2%,5% (symmetric) or -1%:+2% (one\n"
    "                   side wider); the column bin holds 1..9, 0 for out, 10 for a\n"
    "                   part in a band whose secondary --tol2 rejects it\n"
    "  --capture        hands-free: one line per part, when its readings settle (the\n"
    "                   last --settle N reports, default 3, within --spread P% of\n"
    "                   their mean, default 0.5%); the next part is taken after the\n"
    "                   clips read open (above 20 MOhm) or the readings settle at\n"
    "                   another value\n"
    "  --lang L         read-out texts in ru (default) or en\n"
    "  --decimal C      decimal mark of the texts (default: the locale's)\n"
    "  --quiet          no progress on standard error\n"
    "  --no-reconnect   end with status 7 when the link is lost instead of reconnecting\n"
    "\n"
    "Examples:\n"
    "  rlc-meter log --count 100 --set primary=C,freq=1k --out caps.csv\n"
    "  rlc-meter log --port /dev/ttyACM0 --format jsonl --duration 60\n"
    "  rlc-meter log --demo --part C=100n --ref C=100n --tol 5% --count 10\n"
    "\n"
    "Exit status: 0 done, 1 the output could not be written, 2 wrong usage or a refused\n"
    "--set, 3 no adapter, 4 port busy, 5 no permission on the port, 6 the adapter did not\n"
    "answer, 7 the link was lost (or the meter never answered) with --no-reconnect.\n";

// One recording run: each accepted frame to one line.
class TLogRun : public TLinkRun {
  public:
    TLogRun(const TLogOptions& opt, std::vector<TSetChoice> choices, TLogPipeline& pipeline,
            const i18n::TLexicons& english, TLineSink& sink,
            std::unique_ptr<AdapterLocator> locator)
        : TLinkRun(RunOptions(opt), std::move(locator)),
          opt_(opt),
          choices_(std::move(choices)),
          pipeline_(pipeline),
          english_(english),
          sink_(sink) {}

  private:
    static TLinkRunOptions RunOptions(const TLogOptions& opt) {
        TLinkRunOptions o;
        o.command = "log";
        o.link = opt.link;
        o.progress = opt.out && !opt.link.quiet;
        o.duration = opt.duration;
        return o;
    }

    std::string ProgressText() const override {
        char text[96];
        std::snprintf(text, sizeof text, "frames %ld  written %ld  rejected %ld", Frames(),
                      pipeline_.LinesMade(), Rejected());
        return text;
    }

    void OnFrame(std::span<const std::uint8_t> frame) override {
        const bool first = !commandsDone_;
        // The first frame names the meter's model; when settings are sent on
        // it, lines start with the frames that follow them.
        const bool record = !first || (choices_.empty() && !opt_.mode);
        const TLogPipeline::TFed fed = pipeline_.Feed(frame, logcore::LocalTimeNow(), record);
        if (!fed.accepted) {
            CountRejected();
            return;
        }
        if (fed.asleep) Session().MeterAsleep();
        if (first) {
            commandsDone_ = true;
            if (!SendCommands()) return;
        }
        if (!fed.line) return;
        std::string error;
        if (!sink_.Write(*fed.line, error)) return Finish(kOutputFailed, error);
        if (opt_.count && pipeline_.LinesMade() >= *opt_.count) Finish(kDone, {});
    }

    bool SendCommands() {
        display::TScreenState& screen = pipeline_.Screen();
        const auto model = screen.State().Model;
        if (opt_.mode == protocol::TDisplayMode::U && !protocol::UCommandAllowed(model)) {
            Finish(kBadUsage, "--mode u: the " + std::string(protocol::ModelInfo(model).name) +
                                  " has no U mode");
            return false;
        }
        if (opt_.set) {
            std::string error;
            if (!ParseSetOption(*opt_.set, model, english_, error)) {
                Finish(kBadUsage, error);
                return false;
            }
        }
        if (opt_.mode)
            Session().SendCommand(
                protocol::BuildFunctionCommand(protocol::ModeCommand(*opt_.mode), false));
        if (!choices_.empty()) {
            ApplySetChoices(choices_, screen.Settings(), model, english_);
            if (const auto frame =
                    protocol::BuildSettingsCommand(screen.Settings(), false, true, false))
                Session().SendCommand(*frame);
        }
        return true;
    }

    const TLogOptions& opt_;
    std::vector<TSetChoice> choices_;
    TLogPipeline& pipeline_;
    const i18n::TLexicons& english_;
    TLineSink& sink_;
    bool commandsDone_ = false;
};

}  // namespace

int RunLog(const std::vector<std::string>& args) {
    if (HelpAsked(args)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kDone;
    }
    TLogOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::fprintf(stderr, "rlc-meter log: %s\n%s", error.c_str(), kUsage);
        return kBadUsage;
    }

    // Settings are named as the English pickers show them ("1k", not "1к"), so
    // only --set needs the English language file.
    i18n::TLexicons english;
    if (!LoadToolLanguage("en", std::nullopt, english, error) && opt.set) {
        std::fprintf(stderr, "rlc-meter log: %s\n", error.c_str());
        return kBadUsage;
    }
    error.clear();
    std::vector<TSetChoice> choices;
    if (opt.set) {
        const auto model = opt.link.model
                               ? std::optional(static_cast<protocol::TMeterModel>(*opt.link.model))
                               : std::nullopt;
        const auto parsed = ParseSetOption(*opt.set, model, english, error);
        if (!parsed) {
            std::fprintf(stderr, "rlc-meter log: %s\n", error.c_str());
            return kBadUsage;
        }
        choices = *parsed;
    }

    display::TSeparators sep = SystemSeparators();
    if (opt.decimal) sep.decimal = *opt.decimal;
    TLogPipelineConfig config;
    config.format = opt.format;
    config.separators = sep;
    if (opt.capture) config.capture = opt.settle;
    if (opt.link.model) config.model = static_cast<protocol::TMeterModel>(*opt.link.model);
    if (!BuildReference(opt.primary, opt.secondary, sep.decimal, config.reference, error) ||
        !BuildBins(opt.bins, opt.primary, config.bins, error)) {
        std::fprintf(stderr, "rlc-meter log: %s\n", error.c_str());
        return kBadUsage;
    }

    i18n::TLexicons lexicons;
    if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, error)) {
        std::fprintf(stderr, "rlc-meter log: %s\n", error.c_str());
        return kBadUsage;
    }
    TLogPipeline pipeline(config, lexicons);

    TLineSink sink;
    if (!sink.Open(opt.out, pipeline.Header(), error)) {
        std::fprintf(stderr, "rlc-meter log: %s\n", error.c_str());
        return kOutputFailed;
    }

    return RunOnLink("log", opt.link, [&](std::unique_ptr<AdapterLocator> locator) {
        return std::make_unique<TLogRun>(opt, std::move(choices), pipeline, english, sink,
                                         std::move(locator));
    });
}

}  // namespace cli
