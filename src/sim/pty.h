// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim/meter.h"

// A pseudo-terminal that stands in for the adapter's serial port: the host
// program opens SlavePath() like any serial device, the simulator talks on the
// master side.
namespace sim {

class TPtyPair {
  public:
    // Opens a master and its slave in raw mode (no echo, no line editing).
    // Throws std::system_error on failure.
    TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;
    ~TPtyPair();

    // Non-blocking master side, for a poll loop or a socket notifier.
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Everything waiting on the master now (empty when nothing is).
    std::vector<std::uint8_t> ReadAvailable();
    // Writes all bytes; bytes the terminal cannot take (nobody reading and its
    // buffer full) are dropped, as on a serial line with no listener.
    void Write(std::span<const std::uint8_t> bytes);

  private:
    int master_ = -1;
    // Kept open so that the master never sees a hang-up while the host has the
    // port closed, and so that our raw settings stay in place.
    int slaveKeepAlive_ = -1;
    std::string slavePath_;
};

// The simulated adapter's port. It can be pulled out (the pseudo-terminal
// closes, as the device node of an unplugged USB adapter vanishes) and put
// back (a new pseudo-terminal). With a link name, that name always leads to
// the current one, as a udev rule gives a real adapter a stable name.
class TAdapterPort {
  public:
    // Plugged in at once. Throws std::system_error on failure.
    explicit TAdapterPort(std::string linkPath = {});
    TAdapterPort(const TAdapterPort&) = delete;
    TAdapterPort& operator=(const TAdapterPort&) = delete;
    ~TAdapterPort();  // removes the link name

    // The link name, or the pseudo-terminal's own path without one.
    std::string Path() const;
    bool Plugged() const { return pty_ != nullptr; }
    void Unplug();
    void Plug();

    int MasterFd() const { return pty_ ? pty_->MasterFd() : -1; }
    std::vector<std::uint8_t> ReadAvailable();
    void Write(std::span<const std::uint8_t> bytes);

  private:
    void PointLink();

    std::string link_;
    std::unique_ptr<TPtyPair> pty_;
};

// Random bytes on the port at a given rate for a while: a radio full of noise.
struct TNoise {
    int bytesPerSecond = 100000;
    std::int64_t untilMs = 0;  // on the run's clock
    std::int64_t sentUpToMs = 0;
};

struct TPtyRunOptions {
    // Set (for example from a signal handler) to end the loop.
    const volatile std::sig_atomic_t* stop = nullptr;
    // Control lines (see ApplyControlLine) are read from it while it is open;
    // once it ends, the loop goes on without it. -1: none.
    int controlFd = -1;
    // Told about each line that could not be applied.
    void (*onBadLine)(const std::string& error) = nullptr;
};

// Runs the simulator on the port until `stop` is set. Returns 0, or 1 on an
// unexpected poll failure.
int RunOnPty(TSimMeter& meter, TAdapterPort& port, const TPtyRunOptions& options);

// The control lines every driver understands: the meter's buttons (sleep, eco,
// wake, on, off), the clips (part PART puts another part in at once, a swap;
// nopart or part none empties them) and the faults (unplug, plug, lost-midframe,
// noise SECONDS, bad-checksum N, late-connf MS, late-connf off). Returns an
// error text, empty when the line was applied.
std::string ApplyControlLine(TSimMeter& meter, TAdapterPort& port, TNoise& noise,
                             std::int64_t nowMs, const std::string& line);
inline constexpr const char* kControlLineHelp =
    "sleep, eco, wake, on, off, part PART (swap the part), nopart (empty clips);\n"
    "  faults: unplug, plug, lost-midframe,\n"
    "  noise SECONDS (random bytes at 100 kB/s), bad-checksum N, glued N (the next N\n"
    "  frames in one burst), late-connf MS, late-connf off";

}  // namespace sim
