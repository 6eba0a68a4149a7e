// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter sweep: a part measured at one test frequency after another, one
// line per frequency, the meter put back as it was at the end.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/line_sink.h"
#include "cli/link_run.h"
#include "cli/options.h"
#include "cli/set_option.h"
#include "display/screen_state.h"
#include "protocol/command.h"
#include "sim/part.h"
#include "sweep/sweep.h"
#include "sweep/sweep_format.h"

namespace cli {
namespace {

struct TSweepOptions {
    TLinkArgs link;
    std::optional<std::string> freq;
    int readings = 3;
    std::optional<std::string> level;
    std::optional<bool> series;
    bool jsonl = false;
    std::optional<std::string> out;
};

constexpr const char* kUsage =
    "usage: rlc-meter sweep [--port PATH | --demo [--part PART]] [--model N]\n"
    "                       [--freq LIST] [--readings N] [--level VOLTS]\n"
    "                       [--circuit series|parallel] [--format csv|jsonl] [--out FILE]\n"
    "                       [--quiet] [--no-reconnect]\n";

constexpr const char* kHelp =
    "Measures the part in the clips at one test frequency after another: one line a\n"
    "frequency, once its readings agree, then the meter is put back to the settings\n"
    "it had (also after Ctrl-C or SIGTERM).\n"
    "\n"
    "  --port PATH      the adapter's serial port; without it the USB adapter is looked\n"
    "                   for, as the window does\n"
    "  --demo           sweep the simulated meter instead (--part PART picks its part)\n"
    "  --model N        0 KS15, 1 KS16, 2 KS17, 3 KS19: the simulated meter's model, and\n"
    "                   the lists --freq and --level are checked against before connecting\n"
    "  --freq LIST      the test frequencies, in hertz or kilohertz: 100,1k,10k (default:\n"
    "                   every frequency the meter offers, rising); a frequency the meter\n"
    "                   does not offer is refused, naming those it does\n"
    "  --readings N     readings that must agree at each frequency (default 3); the\n"
    "                   first reading after a change is never used. They agree when\n"
    "                   their |Z| lie within 0.5 % (or 1 mOhm near zero); a frequency\n"
    "                   whose readings do not agree within 10 s (longer at a slow report\n"
    "                   interval) is written with settled false and the sweep goes on\n"
    "  --level VOLTS    test level as the level picker names it: 1.0, 0.5, 0.1 (0.7,\n"
    "                   0.1 on the KS17); default: the level the meter is at\n"
    "  --circuit C      series or parallel (default: the circuit the meter shows)\n"
    "  --out FILE       append to FILE (created with a header) instead of standard output\n"
    "  --format F       csv (default; ';' between fields, '.' as the decimal point) or\n"
    "                   jsonl. Fields: frequency_hz rs_ohm xs_ohm z_ohm theta_deg rp_ohm\n"
    "                   xp_ohm l_henry c_farad d q esr_ohm spread readings settled;\n"
    "                   l_henry or c_farad by the sign of the reactance, the other\n"
    "                   empty (null)\n"
    "  --quiet          no progress on standard error\n"
    "  --no-reconnect   end with status 7 when the link is lost instead of reconnecting\n"
    "\n"
    "Examples:\n"
    "  rlc-meter sweep --out part.csv\n"
    "  rlc-meter sweep --port /dev/ttyACM0 --freq 100,1k,10k,100k --format jsonl\n"
    "  rlc-meter sweep --demo --part RC=10,1u --readings 5\n"
    "\n"
    "Exit status: 0 done (also when stopped), 1 the output could not be written, 2 wrong\n"
    "usage or a frequency or level the meter does not offer, 3 no adapter, 4 port busy,\n"
    "5 no permission on the port, 6 the adapter did not answer, 7 the link was lost (or\n"
    "the meter never answered) with --no-reconnect.\n";

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
    return out;
}

std::string ModelName(protocol::TMeterModel model) {
    return std::string(protocol::ModelInfo(model).name);
}

// The frequency indices of --freq on a model, or the message refusing it.
std::optional<std::vector<int>> FrequenciesOn(const std::string& text, protocol::TMeterModel model,
                                              std::string& error) {
    const sweep::TFrequencyList list = sweep::ParseFrequencyList(text, model);
    using TProblem = sweep::TFrequencyList::TProblem;
    switch (list.problem) {
        case TProblem::None:
            return list.indices;
        case TProblem::Empty:
            error = "--freq needs at least one frequency, e.g. 100,1k,10k";
            break;
        case TProblem::NotAFrequency:
            error = "--freq: '" + list.item +
                    "' is not a frequency; give hertz or kilohertz, e.g. 100,1k,10k";
            break;
        case TProblem::NotOffered:
            error = "--freq: the " + ModelName(model) + " does not offer " + list.item +
                    "; it offers " + Join(sweep::OfferedFrequencyTexts(model));
            break;
    }
    return std::nullopt;
}

// The level index of --level on a model, or the message refusing it.
std::optional<int> LevelOn(const std::string& text, protocol::TMeterModel model,
                           const i18n::TLexicons& english, std::string& error) {
    std::vector<std::string> allowed = AllowedValues("level", model, english);
    allowed.erase(std::remove(allowed.begin(), allowed.end(), "auto"), allowed.end());
    std::string unused;
    const auto choices = ParseSetOption("level=" + text, model, english, unused);
    protocol::TMeterSettings scratch;
    if (choices) ApplySetChoices(*choices, scratch, model, english);
    if (!choices || scratch.LevelAuto()) {
        error = "--level: the " + ModelName(model) + " does not offer " + text + "; it offers " +
                Join(allowed);
        return std::nullopt;
    }
    return scratch.LevelIndex();
}

bool ParseArgs(const std::vector<std::string>& args, TSweepOptions& opt, std::string& error) {
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
        if (const TArgTaken taken = TakeLinkArg(args, i, opt.link, error); taken != TArgTaken::No) {
            if (taken == TArgTaken::Bad) return false;
        } else if (a == "--freq") {
            if (!value()) return false;
            opt.freq = v;
        } else if (a == "--readings") {
            if (!value()) return false;
            int n = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc{} || end != v.data() + v.size() || n < 1 || n > 100) {
                error = "--readings must be a whole number from 1 to 100";
                return false;
            }
            opt.readings = n;
        } else if (a == "--level") {
            if (!value()) return false;
            opt.level = v;
        } else if (a == "--circuit") {
            if (!value()) return false;
            if (v == "series" || v == "s")
                opt.series = true;
            else if (v == "parallel" || v == "p")
                opt.series = false;
            else {
                error = "--circuit must be series or parallel";
                return false;
            }
        } else if (a == "--format") {
            if (!value()) return false;
            if (v != "csv" && v != "jsonl") {
                error = "--format must be csv or jsonl";
                return false;
            }
            opt.jsonl = v == "jsonl";
        } else if (a == "--out") {
            if (!value()) return false;
            opt.out = v;
        } else {
            error = "unknown argument '" + a + "'";
            return false;
        }
    }
    if (!CheckLinkArgs(opt.link, error)) return false;
    return true;
}

// The model known before connecting: the one named, or the simulated meter's.
std::optional<protocol::TMeterModel> KnownModel(const TSweepOptions& opt) {
    if (opt.link.model) return static_cast<protocol::TMeterModel>(*opt.link.model);
    if (opt.link.demo) return sim::TSimConfig{}.model;
    return std::nullopt;
}

// Checks --freq and --level against `model`, or, with none known yet, against
// every model (the meter's own is checked again at its first frame).
bool CheckLists(const TSweepOptions& opt, std::optional<protocol::TMeterModel> model,
                const i18n::TLexicons& english, std::string& error) {
    std::vector<protocol::TMeterModel> models;
    if (model) {
        models.push_back(*model);
    } else {
        for (const protocol::TModelInfo& info : protocol::kModels) models.push_back(info.model);
    }
    // Passes when some model takes it; otherwise the first model's refusal.
    auto offered = [&](auto check) {
        std::string first;
        for (protocol::TMeterModel m : models) {
            std::string e;
            if (check(m, e)) return true;
            if (first.empty()) first = e;
        }
        error = first;
        return false;
    };
    if (opt.freq && !offered([&](protocol::TMeterModel m, std::string& e) {
            return FrequenciesOn(*opt.freq, m, e).has_value();
        }))
        return false;
    return !opt.level || offered([&](protocol::TMeterModel m, std::string& e) {
        return LevelOn(*opt.level, m, english, e).has_value();
    });
}

// One sweep on the event loop.
class TSweepRun : public TLinkRun {
  public:
    TSweepRun(const TSweepOptions& opt, const i18n::TLexicons& english, TLineSink& sink,
              std::unique_ptr<AdapterLocator> locator)
        : TLinkRun(RunOptions(opt), std::move(locator)),
          opt_(opt),
          english_(english),
          sink_(sink),
          screen_(lexicons_, display::TSeparators{".", ""}) {
        screen_.Start(KnownModel(opt).value_or(protocol::TMeterModel::Ks15));
        tick_.setInterval(100);
        connect(&tick_, &QTimer::timeout, this, [this] {
            if (!sweep_ || Finishing()) return;
            sweep_->Tick(Now());
            Pump();
        });
        tick_.start();
    }

  private:
    static TLinkRunOptions RunOptions(const TSweepOptions& opt) {
        TLinkRunOptions o;
        o.command = "sweep";
        o.link = opt.link;
        o.progress = opt.out && !opt.link.quiet;
        return o;
    }

    // Seconds the link has been up: a point's time-out does not run while
    // the link is away.
    double Now() const {
        const qint64 ms = upTotalMs_ + (upSince_.isValid() ? upSince_.elapsed() : 0);
        return static_cast<double>(ms) / 1000.0;
    }

    void OnConnected() override {
        upSince_.start();
        // The meter may have missed the last command while the link was away.
        if (lastCommand_ && sweep_ && !sweep_->Done()) Session().SendCommand(*lastCommand_);
    }

    void OnLinkLost() override {
        if (upSince_.isValid()) upTotalMs_ += upSince_.elapsed();
        upSince_.invalidate();
        if (!opt_.link.reconnect && sweep_ && !sweep_->Done()) NotPutBack();
    }

    std::string ProgressText() const override {
        if (!sweep_) return "waiting for the meter";
        const int shown = std::min(sweep_->CurrentPoint() + 1, sweep_->PointCount());
        std::string text =
            "point " + std::to_string(shown) + " of " + std::to_string(sweep_->PointCount());
        if (shown > 0 && !sweep_->Done())
            text += ", " +
                    sweep::FrequencyText(protocol::TableFrequencyHz(
                        plan_.frequencyIndices[static_cast<std::size_t>(shown - 1)], plan_.model)) +
                    "Hz";
        return text;
    }

    void OnStopAsked() override { End(kDone, {}); }

    void OnFrame(std::span<const std::uint8_t> frame) override {
        const display::TFrameOutcome outcome = screen_.Feed(frame);
        if (!outcome.decode.accepted) {
            CountRejected();
            return;
        }
        if (outcome.decode.effects.startT34) Session().MeterAsleep();
        if (!sweep_) {
            if (!checked_ && !Check()) return;
            // The settings to put back come with a frame of the RLCD panel.
            if (!outcome.rlcd) return;
            Begin();
        } else if (outcome.rlcd) {
            sweep_->Feed(screen_.Settings(), screen_.State(), Now());
        }
        Pump();
    }

    // The first frame names the model: the lists are checked against it, and
    // a meter on another panel is switched to RLCD (and back at the end).
    bool Check() {
        checked_ = true;
        const protocol::TMeterModel model = screen_.State().Model;
        std::string error;
        if (opt_.freq) {
            const auto indices = FrequenciesOn(*opt_.freq, model, error);
            if (!indices) {
                Finish(kBadUsage, error);
                return false;
            }
            plan_.frequencyIndices = *indices;
        } else {
            plan_.frequencyIndices = sweep::DefaultFrequencyIndices(model);
        }
        if (opt_.level) {
            const auto level = LevelOn(*opt_.level, model, english_, error);
            if (!level) {
                Finish(kBadUsage, error);
                return false;
            }
            plan_.levelIndex = *level;
        }
        plan_.model = model;
        panelBefore_ = screen_.VisiblePanel();
        if (panelBefore_ != display::TPanel::Rlcd)
            Session().SendCommand(protocol::BuildFunctionCommand(
                protocol::ModeCommand(protocol::TDisplayMode::Rlcd), false));
        return true;
    }

    void Begin() {
        const protocol::TMeterSettings& before = screen_.Settings();
        // Unless given, level and circuit stay as the meter has them now.
        if (!opt_.level) plan_.levelIndex = std::max<int>(before.LevelIndex(), 1);
        plan_.series = opt_.series.value_or(before.Series() != 0);
        plan_.readings = opt_.readings;
        plan_.timeoutSeconds =
            sweep::PointTimeoutSeconds(plan_.timeoutSeconds, opt_.readings, before.Rate());
        sweep_.emplace(plan_, before);
        startedAt_ = Now();
    }

    // Writes the points that are in, sends what the sweep asks for, and ends
    // the run once the meter is put back.
    void Pump() {
        if (Finishing()) return;
        // The next frequency first: the meter settles while the line is written.
        while (const auto settings = sweep_->TakeCommand(Now())) Send(*settings);
        const auto& points = sweep_->Points();
        for (; written_ < points.size(); ++written_) {
            const sweep::TSweepPoint& p = points[written_];
            std::string error;
            if (!sink_.Write(opt_.jsonl ? sweep::JsonLine(p) : sweep::CsvLine(p), error))
                return End(kOutputFailed, error);
            if (!p.settled) ++unsettled_;
        }
        if (sweep_->Done()) End(kDone, {});
    }

    void Send(protocol::TMeterSettings settings) {
        if (const auto frame = protocol::BuildSettingsCommand(settings, false, true, false)) {
            Session().SendCommand(*frame);
            lastCommand_ = *frame;
        }
    }

    void NotPutBack() {
        Note("the meter keeps the sweep's settings: the link went before they were put back");
    }

    // Stops the sweep: the meter is put back (the command leaves before the
    // link is dropped), then the run ends.
    void End(int status, const std::string& message) {
        if (Finishing()) return;
        char summary[128] = "";
        if (sweep_) {
            const bool wasDone = sweep_->Done();
            sweep_->Stop();
            while (const auto settings = sweep_->TakeCommand(Now())) Send(*settings);
            // Stopped while the link is away: nothing reaches the meter.
            if (!wasDone && lastCommand_ && Session().State() != LinkSession::TState::Connected)
                NotPutBack();
            std::snprintf(summary, sizeof summary, "%zu of %d points in %.1f s, %d not settled",
                          sweep_->Points().size(), sweep_->PointCount(), Now() - startedAt_,
                          unsettled_);
        }
        if (checked_ && panelBefore_ != display::TPanel::Rlcd)
            Session().SendCommand(protocol::BuildFunctionCommand(
                protocol::ModeCommand(panelBefore_ == display::TPanel::Rd
                                          ? protocol::TDisplayMode::Rd
                                          : protocol::TDisplayMode::U),
                false));
        Finish(status, message);
        if (*summary) Note(summary);
    }

    const TSweepOptions& opt_;
    const i18n::TLexicons& english_;
    TLineSink& sink_;
    i18n::TLexicons lexicons_;  // the screens' own texts are not written
    display::TScreenState screen_;
    QTimer tick_;
    sweep::TSweepPlan plan_;
    std::optional<sweep::TSweep> sweep_;
    std::optional<protocol::TCommandFrame> lastCommand_;
    bool checked_ = false;
    display::TPanel panelBefore_ = display::TPanel::Rlcd;
    std::size_t written_ = 0;
    int unsettled_ = 0;
    qint64 upTotalMs_ = 0;
    QElapsedTimer upSince_;
    double startedAt_ = 0;
};

}  // namespace

int RunSweep(const std::vector<std::string>& args) {
    if (HelpAsked(args)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kDone;
    }
    TSweepOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::fprintf(stderr, "rlc-meter sweep: %s\n%s", error.c_str(), kUsage);
        return kBadUsage;
    }
    // Levels are named as the English picker shows them.
    i18n::TLexicons english;
    if (!LoadToolLanguage("en", std::nullopt, english, error) && opt.level) {
        std::fprintf(stderr, "rlc-meter sweep: %s\n", error.c_str());
        return kBadUsage;
    }
    error.clear();
    if (!CheckLists(opt, KnownModel(opt), english, error)) {
        std::fprintf(stderr, "rlc-meter sweep: %s\n", error.c_str());
        return kBadUsage;
    }

    TLineSink sink;
    if (!sink.Open(opt.out, opt.jsonl ? std::string() : sweep::CsvHeader(), error)) {
        std::fprintf(stderr, "rlc-meter sweep: %s\n", error.c_str());
        return kOutputFailed;
    }

    return RunOnLink("sweep", opt.link, [&](std::unique_ptr<AdapterLocator> locator) {
        return std::make_unique<TSweepRun>(opt, english, sink, std::move(locator));
    });
}

}  // namespace cli
