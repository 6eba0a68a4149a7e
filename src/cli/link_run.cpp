// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/link_run.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTime>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace cli {
namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

const char* StateName(LinkSession::TState s) {
    switch (s) {
        case LinkSession::TState::Closed:
            return "closed";
        case LinkSession::TState::Probing:
            return "probing";
        case LinkSession::TState::Ready:
            return "adapter ready";
        case LinkSession::TState::Connecting:
            return "connecting";
        case LinkSession::TState::Connected:
            return "connected";
    }
    return "";
}

}  // namespace

void CatchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // A closed pipe reports itself as a failed write, not as a killed process.
    signal(SIGPIPE, SIG_IGN);
}

TDemoMeter::TDemoMeter(sim::TSimConfig config) : meter_(std::move(config)) {
    options_.stop = &stop_;
    thread_ = std::thread([this] { sim::RunOnPty(meter_, port_, options_); });
}

TDemoMeter::~TDemoMeter() {
    stop_ = 1;
    thread_.join();
}

TArgTaken TakeLinkArg(const std::vector<std::string>& args, std::size_t& i, TLinkArgs& link,
                      std::string& error) {
    const std::string& a = args[i];
    const bool takesValue = a == "--port" || a == "--model" || a == "--part";
    if (takesValue && i + 1 >= args.size()) {
        error = a + " needs a value";
        return TArgTaken::Bad;
    }
    if (a == "--port") {
        link.port = args[++i];
    } else if (a == "--demo") {
        link.demo = true;
    } else if (a == "--model") {
        const std::string& v = args[++i];
        int m = -1;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), m);
        if (ec != std::errc{} || end != v.data() + v.size() || m < 0 || m > 3) {
            error = "--model must be 0 (KS15), 1 (KS16), 2 (KS17) or 3 (KS19)";
            return TArgTaken::Bad;
        }
        link.model = m;
    } else if (a == "--part") {
        link.part = args[++i];
    } else if (a == "--quiet" || a == "-q") {
        link.quiet = true;
    } else if (a == "--no-reconnect") {
        link.reconnect = false;
    } else {
        return TArgTaken::No;
    }
    return TArgTaken::Yes;
}

bool CheckLinkArgs(const TLinkArgs& link, std::string& error) {
    if (link.demo && link.port) {
        error = "--demo and --port exclude each other";
        return false;
    }
    if (link.part && !link.demo) {
        error = "--part needs --demo";
        return false;
    }
    if (link.part && !sim::ParsePart(*link.part)) {
        error = std::string("--part must be one of: ") + sim::kPartSpecHelp;
        return false;
    }
    return true;
}

std::optional<sim::TSimConfig> DemoConfig(const TLinkArgs& link) {
    if (!link.demo) return std::nullopt;
    sim::TSimConfig config;
    if (link.model) config.model = static_cast<protocol::TMeterModel>(*link.model);
    if (link.part) config.part = sim::ParsePart(*link.part).value_or(config.part);
    return config;
}

bool OpenLinkTarget(const std::optional<sim::TSimConfig>& demo,
                    const std::optional<std::string>& port, TLinkTarget& target,
                    std::string& error) {
    try {
        if (demo) {
            target.demo = std::make_unique<TDemoMeter>(*demo);
            target.locator = std::make_unique<FixedPortLocator>(target.demo->Path());
        } else if (port) {
            target.locator = std::make_unique<FixedPortLocator>(QString::fromStdString(*port));
        } else {
            target.locator = std::make_unique<UsbAdapterLocator>();
        }
    } catch (const std::exception& e) {
        error = std::string("cannot start the simulated meter: ") + e.what();
        return false;
    }
    return true;
}

TLinkRun::TLinkRun(TLinkRunOptions options, std::unique_ptr<AdapterLocator> locator)
    : opt_(std::move(options)), session_(new LinkSession(std::move(locator), this)) {
    connect(session_, &LinkSession::PortFailed, this, &TLinkRun::PortFailed);
    connect(session_, &LinkSession::ProbeFinished, this, &TLinkRun::ProbeFinished);
    connect(session_, &LinkSession::Connected, this, [this] {
        everConnected_ = true;
        Note("connected");
        OnConnected();
    });
    connect(session_, &LinkSession::ConnectFailed, this, [this](bool) {
        if (!opt_.link.reconnect) return Finish(kLinkLost, "the meter did not answer the adapter");
        Note("the meter did not answer; trying again");
    });
    connect(session_, &LinkSession::ConnectUnanswered, this, [this] {
        if (!opt_.link.reconnect)
            return Finish(kLinkLost, "the adapter did not answer \"AT+CONNL\"");
        Note("the adapter did not answer \"AT+CONNL\"; trying again");
    });
    connect(session_, &LinkSession::LinkLost, this, [this] {
        if (finishing_) return;
        OnLinkLost();
        if (!opt_.link.reconnect) return Finish(kLinkLost, "the link to the meter was lost");
        Note("link lost; reconnecting");
    });
    connect(session_, &LinkSession::FrameReceived, this, &TLinkRun::Frame);
    connect(session_, &LinkSession::ChunkClassified, this,
            [this](linkcore::TChunkKind kind, const QByteArray&) {
                if (kind == linkcore::TChunkKind::Unrecognised) ++rejected_;
            });
    signalPoll_.setInterval(50);
    connect(&signalPoll_, &QTimer::timeout, this, [this] {
        if (!gStop || stopAsked_) return;
        stopAsked_ = true;
        OnStopAsked();
    });
    progress_.setInterval(1000);
    connect(&progress_, &QTimer::timeout, this, &TLinkRun::ShowProgress);
}

int TLinkRun::Run() {
    clock_.start();
    signalPoll_.start();
    if (opt_.progress) progress_.start();
    if (opt_.duration) {
        const auto ms = static_cast<qint64>(*opt_.duration * 1000);
        QTimer::singleShot(std::chrono::milliseconds(ms), this, [this] {
            if (stopAsked_) return;
            stopAsked_ = true;
            OnStopAsked();
        });
    }
    QTimer::singleShot(0, session_, &LinkSession::Start);
    return QCoreApplication::exec();
}

void TLinkRun::Note(const std::string& text) {
    if (opt_.link.quiet) return;
    EndProgressLine();
    std::fprintf(stderr, "rlc-meter %s: %s\n", opt_.command.c_str(), text.c_str());
}

void TLinkRun::EndProgressLine() {
    if (progressOpen_) std::fputc('\n', stderr);
    progressOpen_ = false;
}

void TLinkRun::ShowProgress() {
    const qint64 s = clock_.elapsed() / 1000;
    std::fprintf(stderr, "\r%s  link %s  %02lld:%02lld:%02lld", ProgressText().c_str(),
                 StateName(session_->State()), static_cast<long long>(s / 3600),
                 static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    if (isatty(STDERR_FILENO)) {
        progressOpen_ = true;
    } else {
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
}

void TLinkRun::PortFailed(LinkSession::TPortProblem problem, const QString& port,
                          const QString& detail) {
    if (everConnected_ && opt_.link.reconnect) {
        // Every watch tick fails again while it is away: one line an outage.
        if (portLostAt_.isEmpty()) {
            portLostAt_ = QTime::currentTime().toString("HH:mm:ss");
            Note("the adapter's port is gone since " + portLostAt_.toStdString() + " (" +
                 detail.toStdString() + "); looking for it again");
        }
        return;
    }
    const std::string p = port.toStdString();
    switch (problem) {
        case LinkSession::TPortProblem::NoAdapter:
            return Finish(kNoAdapter,
                          opt_.link.port ? "no serial port " + p
                          : detail.isEmpty()
                              ? std::string("no Bluetooth adapter found; plug it in or name "
                                            "its port with --port")
                              : "more than one adapter found; name one with --port");
        case LinkSession::TPortProblem::Busy:
            return Finish(kPortBusy, p + " is in use by another program; close it and try again");
        case LinkSession::TPortProblem::Permission:
            return Finish(kPortPermission, "no permission to open " + p +
                                               "; on Linux add yourself to the dialout group "
                                               "(sudo usermod -aG dialout $USER) and log in again");
        case LinkSession::TPortProblem::Unusable:
            return Finish(kPortBusy, "cannot open " + p + ": " + detail.toStdString());
        case LinkSession::TPortProblem::Gone:
            return Finish(kLinkLost, "the adapter's port " + p + " went away");
    }
}

void TLinkRun::ProbeFinished(bool answered, const QString& port) {
    if (!answered) {
        if (everConnected_ && opt_.link.reconnect)
            return Note("the adapter did not answer; retrying");
        return Finish(kNoProbeReply, "the adapter on " + port.toStdString() +
                                         " did not answer \"AT\"; is it the Bluetooth adapter?");
    }
    session_->SetReconnect(opt_.link.reconnect);
    portLostAt_.clear();
    Note("adapter on " + port.toStdString() + "; connecting to the meter");
    session_->Connect();
}

void TLinkRun::Frame(const QByteArray& bytes) {
    ++frames_;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    OnFrame(std::span<const std::uint8_t>(data, static_cast<std::size_t>(bytes.size())));
}

void TLinkRun::Finish(int status, const std::string& message) {
    if (finishing_) return;
    finishing_ = true;
    if (opt_.progress) ShowProgress();
    EndProgressLine();
    if (!message.empty())
        std::fprintf(stderr, "rlc-meter %s: %s\n", opt_.command.c_str(), message.c_str());
    session_->Close();
    QCoreApplication::exit(status);
}

}  // namespace cli
