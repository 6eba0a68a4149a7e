#pragma once

#include <csignal>
#include <cstdint>
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

struct TPtyRunOptions {
    // Set (for example from a signal handler) to end the loop.
    const volatile std::sig_atomic_t* stop = nullptr;
    // Watched for end of file, which ends the loop; lines read from it are
    // passed to `onControlLine`. -1: none.
    int controlFd = -1;
    void (*onControlLine)(TSimMeter&, const std::string& line, void* context) = nullptr;
    void* context = nullptr;
};

// Runs the simulator on the pseudo-terminal until `stop` is set or the control
// input ends. Returns 0, or 1 on an unexpected poll failure.
int RunOnPty(TSimMeter& meter, TPtyPair& pty, const TPtyRunOptions& options);

}  // namespace sim
