// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <system_error>

#include "sim/part.h"

namespace sim {
namespace {

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Longest sleep of the loop, so that a stop request is seen soon even when a
// signal arrives between the check and the poll.
constexpr int kMaxWaitMs = 100;
// Noise is written every this many milliseconds.
constexpr int kNoiseStepMs = 10;

}  // namespace

TPtyPair::TPtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) ThrowErrno("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const int e = errno;
        close(master_);
        throw std::system_error(e, std::generic_category(), "grantpt/unlockpt");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        const int e = errno;
        close(master_);
        throw std::system_error(e, std::generic_category(), "ptsname_r");
    }
    slavePath_ = name;
    slaveKeepAlive_ = open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (slaveKeepAlive_ < 0 || tcgetattr(slaveKeepAlive_, &tio) != 0) {
        const int e = errno;
        if (slaveKeepAlive_ >= 0) close(slaveKeepAlive_);
        close(master_);
        throw std::system_error(e, std::generic_category(), "open pty slave");
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(slaveKeepAlive_, TCSANOW, &tio);
}

TPtyPair::~TPtyPair() {
    if (slaveKeepAlive_ >= 0) close(slaveKeepAlive_);
    if (master_ >= 0) close(master_);
}

std::vector<std::uint8_t> TPtyPair::ReadAvailable() {
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return out;  // EAGAIN: drained; EIO: no slave open
    }
}

void TPtyPair::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

TAdapterPort::TAdapterPort(std::string linkPath) : link_(std::move(linkPath)) {
    Plug();
}

TAdapterPort::~TAdapterPort() {
    if (!link_.empty()) unlink(link_.c_str());
}

std::string TAdapterPort::Path() const {
    if (!link_.empty()) return link_;
    return pty_ ? pty_->SlavePath() : std::string();
}

void TAdapterPort::Unplug() {
    pty_.reset();
    if (!link_.empty()) unlink(link_.c_str());
}

void TAdapterPort::Plug() {
    if (pty_) return;
    pty_ = std::make_unique<TPtyPair>();
    PointLink();
}

// A new link is made aside and renamed over the old one, so the name never
// leads nowhere while the port is plugged in.
void TAdapterPort::PointLink() {
    if (link_.empty()) return;
    const std::string aside = link_ + ".new";
    unlink(aside.c_str());
    if (symlink(pty_->SlavePath().c_str(), aside.c_str()) != 0) ThrowErrno("symlink");
    if (rename(aside.c_str(), link_.c_str()) != 0) ThrowErrno("rename");
}

std::vector<std::uint8_t> TAdapterPort::ReadAvailable() {
    return pty_ ? pty_->ReadAvailable() : std::vector<std::uint8_t>();
}

void TAdapterPort::Write(std::span<const std::uint8_t> bytes) {
    if (pty_) pty_->Write(bytes);
}

namespace {

std::optional<int> ParseCount(const std::string& text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 0) return std::nullopt;
    return v;
}

}  // namespace

std::string ApplyControlLine(TSimMeter& meter, TAdapterPort& port, TNoise& noise,
                             std::int64_t nowMs, const std::string& line) {
    const auto space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (word == "sleep") {
        meter.SetPowerSave(true);
    } else if (word == "eco") {
        meter.SetPowerSave(false);
    } else if (word == "wake" || word == "on") {
        meter.PowerOn();
    } else if (word == "off") {
        meter.PowerOff();
    } else if (word == "nopart") {
        meter.SetPart(*ParsePart("none"));
    } else if (word == "part") {
        const auto part = ParsePart(arg);
        if (!part) return "bad part '" + arg + "'; accepted: " + kPartForms;
        meter.SetPart(*part);
    } else if (word == "unplug") {
        meter.AdapterUnplugged();
        port.Unplug();
    } else if (word == "plug") {
        port.Plug();
    } else if (word == "lost-midframe") {
        meter.DropLinkMidFrame();
    } else if (word == "noise") {
        const auto seconds = ParseCount(arg);
        if (!seconds) return "noise needs whole seconds, not '" + arg + "'";
        noise.untilMs = nowMs + std::int64_t{*seconds} * 1000;
        noise.sentUpToMs = nowMs;
    } else if (word == "bad-checksum") {
        const auto count = ParseCount(arg);
        if (!count) return "bad-checksum needs a frame count, not '" + arg + "'";
        meter.CorruptNextFrames(*count);
    } else if (word == "glued") {
        const auto count = ParseCount(arg);
        if (!count) return "glued needs a frame count, not '" + arg + "'";
        meter.GlueNextFrames(*count);
    } else if (word == "late-connf") {
        if (arg == "off") {
            meter.SetLateConnectFailure(std::nullopt);
        } else if (const auto ms = ParseCount(arg)) {
            meter.SetLateConnectFailure(*ms);
        } else {
            return "late-connf needs milliseconds or off, not '" + arg + "'";
        }
    } else if (!line.empty()) {
        return "unknown control line '" + line + "'";
    }
    return {};
}

int RunOnPty(TSimMeter& meter, TAdapterPort& port, const TPtyRunOptions& options) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto last = start;
    int controlFd = options.controlFd;
    std::string control;
    TNoise noise;
    std::mt19937 rng(7);
    const auto stopping = [&] { return options.stop && *options.stop; };
    const auto nowMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };

    while (!stopping()) {
        const int due = meter.MsUntilNextEvent();
        int wait = due < 0 ? kMaxWaitMs : std::min(due, kMaxWaitMs);
        if (noise.untilMs > nowMs()) wait = std::min(wait, kNoiseStepMs);
        pollfd fds[2] = {{port.MasterFd(), POLLIN, 0}, {controlFd, POLLIN, 0}};
        // An unplugged port has no descriptor; poll skips negative ones.
        const int ready = poll(fds, 2, wait);
        if (ready < 0 && errno != EINTR) return 1;

        // Let the simulated clock catch up before anything new arrives.
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (elapsed.count() > 0) {
            meter.Advance(static_cast<int>(elapsed.count()));
            last += elapsed;
        }

        if (ready > 0 && (fds[0].revents & POLLIN)) meter.Receive(port.ReadAvailable());
        if (ready > 0 && controlFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            const ssize_t n = read(controlFd, buffer, sizeof buffer);
            if (n == 0) controlFd = -1;  // input ended: run on until stopped
            if (n > 0) {
                control.append(buffer, static_cast<std::size_t>(n));
                for (auto nl = control.find('\n'); nl != std::string::npos;
                     nl = control.find('\n')) {
                    const std::string line = control.substr(0, nl);
                    control.erase(0, nl + 1);
                    const std::string error = ApplyControlLine(meter, port, noise, nowMs(), line);
                    if (!error.empty() && options.onBadLine) options.onBadLine(error);
                }
            }
        }
        meter.Advance(0);
        for (const Bytes& burst : meter.TakeBursts()) port.Write(burst);

        // Noise goes out in steps, as much as the time since the last step is due.
        const std::int64_t t = std::min<std::int64_t>(nowMs(), noise.untilMs);
        if (t > noise.sentUpToMs) {
            Bytes junk(
                static_cast<std::size_t>((t - noise.sentUpToMs) * noise.bytesPerSecond / 1000));
            for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
            port.Write(junk);
            noise.sentUpToMs = t;
        }
    }
    return 0;
}

}  // namespace sim
