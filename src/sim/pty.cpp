#include "sim/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>

namespace sim {
namespace {

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Longest sleep of the loop, so that a stop request is seen soon even when a
// signal arrives between the check and the poll.
constexpr int kMaxWaitMs = 100;

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

int RunOnPty(TSimMeter& meter, TPtyPair& pty, const TPtyRunOptions& options) {
    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    std::string control;
    const auto stopping = [&] { return options.stop && *options.stop; };

    while (!stopping()) {
        const int due = meter.MsUntilNextEvent();
        const int wait = due < 0 ? kMaxWaitMs : std::min(due, kMaxWaitMs);
        pollfd fds[2] = {{pty.MasterFd(), POLLIN, 0}, {options.controlFd, POLLIN, 0}};
        const nfds_t count = options.controlFd >= 0 ? 2 : 1;
        const int ready = poll(fds, count, wait);
        if (ready < 0 && errno != EINTR) return 1;

        // Let the simulated clock catch up before anything new arrives.
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (elapsed.count() > 0) {
            meter.Advance(static_cast<int>(elapsed.count()));
            last += elapsed;
        }

        if (ready > 0 && (fds[0].revents & POLLIN)) meter.Receive(pty.ReadAvailable());
        if (ready > 0 && count > 1 && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            const ssize_t n = read(options.controlFd, buffer, sizeof buffer);
            if (n == 0) break;  // end of the control input
            if (n > 0) {
                control.append(buffer, static_cast<std::size_t>(n));
                for (auto nl = control.find('\n'); nl != std::string::npos;
                     nl = control.find('\n')) {
                    const std::string line = control.substr(0, nl);
                    control.erase(0, nl + 1);
                    if (options.onControlLine) options.onControlLine(meter, line, options.context);
                }
            }
        }
        meter.Advance(0);
        for (const Bytes& burst : meter.TakeBursts()) pty.Write(burst);
    }
    return 0;
}

}  // namespace sim
