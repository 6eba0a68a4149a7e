// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "link/adapter_locator.h"
#include "link/link_session.h"
#include "sim/meter.h"
#include "sim/pty.h"

// What the subcommands that talk to a meter (log, sweep) share: finding the
// adapter or starting the simulated meter, the link session with its
// reconnects, Ctrl-C and SIGTERM, the progress line and the exit statuses.
// A subcommand derives from TLinkRun and handles the frames.
namespace cli {

// Exit statuses.
enum TExit : int {
    kDone = 0,
    kOutputFailed = 1,
    kBadUsage = 2,
    kNoAdapter = 3,
    kPortBusy = 4,
    kPortPermission = 5,
    kNoProbeReply = 6,
    kLinkLost = 7,
};

// Makes SIGINT and SIGTERM end a run cleanly, and a closed pipe a failed write.
void CatchStopSignals();

// The simulated adapter and meter on a pseudo-terminal, served from a thread
// of its own while the session talks to it like to any port.
class TDemoMeter {
  public:
    explicit TDemoMeter(sim::TSimConfig config);
    ~TDemoMeter();
    QString Path() const { return QString::fromStdString(port_.Path()); }

  private:
    sim::TAdapterPort port_;
    sim::TSimMeter meter_;
    volatile std::sig_atomic_t stop_ = 0;
    sim::TPtyRunOptions options_;
    std::thread thread_;
};

// The options of the meter to talk to, the same for every such subcommand.
struct TLinkArgs {
    std::optional<std::string> port;
    bool demo = false;
    std::optional<int> model;
    std::optional<std::string> part;
    bool quiet = false;
    bool reconnect = true;
};
enum class TArgTaken { No, Yes, Bad };
// Takes args[i] (and its value, moving i on) when it is --port, --demo,
// --model, --part, --quiet (-q) or --no-reconnect; Bad with `error` set.
TArgTaken TakeLinkArg(const std::vector<std::string>& args, std::size_t& i, TLinkArgs& link,
                      std::string& error);
// What the options say together: --demo or --port, --part only with --demo.
bool CheckLinkArgs(const TLinkArgs& link, std::string& error);

// The simulated meter of --demo, with the model and part given; none without --demo.
std::optional<sim::TSimConfig> DemoConfig(const TLinkArgs& link);

// The meter to talk to: the simulated one (demo set), the port named, or the
// USB adapter looked for as the window does. False with a message when the
// simulated meter cannot start.
struct TLinkTarget {
    std::unique_ptr<TDemoMeter> demo;
    std::unique_ptr<AdapterLocator> locator;
};
bool OpenLinkTarget(const std::optional<sim::TSimConfig>& demo,
                    const std::optional<std::string>& port, TLinkTarget& target,
                    std::string& error);

struct TLinkRunOptions {
    std::string command;  // names the messages: "rlc-meter COMMAND: ..."
    TLinkArgs link;
    bool progress = false;  // a progress line on standard error every second
    std::optional<double> duration;
};

// One run on the event loop; a QCoreApplication must exist.
class TLinkRun : public QObject {
  public:
    TLinkRun(TLinkRunOptions options, std::unique_ptr<AdapterLocator> locator);
    // Runs the event loop until Finish; returns its status.
    int Run();

  protected:
    // A frame the session accepted.
    virtual void OnFrame(std::span<const std::uint8_t> frame) = 0;
    // The run's own part of the progress line.
    virtual std::string ProgressText() const = 0;
    // Ctrl-C, SIGTERM or the duration's end.
    virtual void OnStopAsked() { Finish(kDone, {}); }
    virtual void OnConnected() {}
    virtual void OnLinkLost() {}

    // A line on standard error, unless quiet.
    void Note(const std::string& text);
    // Ends the run: the last progress, the message, the link dropped (what was
    // queued for the meter still goes out first).
    void Finish(int status, const std::string& message);
    void ShowProgress();
    void CountRejected() { ++rejected_; }
    bool Finishing() const { return finishing_; }
    long Frames() const { return frames_; }
    long Rejected() const { return rejected_; }
    LinkSession& Session() { return *session_; }
    const TLinkRunOptions& Options() const { return opt_; }

  private:
    void EndProgressLine();
    void PortFailed(LinkSession::TPortProblem problem, const QString& port, const QString& detail);
    void ProbeFinished(bool answered, const QString& port);
    void Frame(const QByteArray& bytes);

    TLinkRunOptions opt_;
    LinkSession* session_;
    QTimer signalPoll_;
    QTimer progress_;
    QElapsedTimer clock_;
    long frames_ = 0;
    long rejected_ = 0;
    bool everConnected_ = false;
    bool stopAsked_ = false;
    bool finishing_ = false;
    bool progressOpen_ = false;
    QString portLostAt_;  // local time the port went away, empty while it is there
};

// The subcommand's run on an event loop of its own, talking to the meter
// `link` names: `make` turns the adapter's locator into the run.
template <class TMake>
int RunOnLink(const std::string& command, const TLinkArgs& link, TMake make) {
    CatchStopSignals();
    int argc = 1;
    char name[] = "rlc-meter";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TLinkTarget target;
    std::string error;
    if (!OpenLinkTarget(DemoConfig(link), link.port, target, error)) {
        std::fprintf(stderr, "rlc-meter %s: %s\n", command.c_str(), error.c_str());
        return kOutputFailed;
    }
    auto run = make(std::move(target.locator));
    return run->Run();
}

}  // namespace cli
