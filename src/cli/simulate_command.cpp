// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "sim/meter.h"
#include "sim/pty.h"

namespace cli {
namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

void PrintSimulateUsage() {
    std::fprintf(stderr,
                 "usage: rlc-meter simulate [--model N] [--mode rlcd|rd|u] [--part PART]\n"
                 "                          [--noise FRACTION] [--late-connf] [--run-together]\n"
                 "                          [--link PATH]\n"
                 "  Runs a simulated adapter and meter on a pseudo-terminal and prints its\n"
                 "  path; open that path as the meter's serial port. Runs until Ctrl-C or\n"
                 "  SIGTERM, also in the background with no input.\n"
                 "  --model N         0 KS15 (default), 1 KS16, 2 KS17, 3 KS19\n"
                 "  --mode M          display mode at start (u only for models 0 and 2)\n"
                 "  --part PART       part in the clips (default R=1k):\n"
                 "                    %s\n"
                 "  --noise F         relative spread of readings (default 0.002)\n"
                 "  --late-connf      the adapter answers OK+CONNF 10 s after AT+CONNL\n"
                 "  --run-together    replies arrive run together with data\n"
                 "  --link PATH       a symbolic link that always leads to the current\n"
                 "                    pseudo-terminal (printed instead of its path)\n"
                 "  Lines on standard input: %s.\n",
                 sim::kPartSpecHelp, sim::kControlLineHelp);
}

void OnBadLine(const std::string& error) {
    std::fprintf(stderr, "rlc-meter simulate: %s\n", error.c_str());
}

// Fills `config`; on a bad argument returns a message that names it.
std::string ParseArgs(const std::vector<std::string>& args, sim::TSimConfig& config,
                      std::string& link) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "--model" || a == "--mode" || a == "--part" || a == "--noise" || a == "--link";
        if (takesValue && i + 1 >= args.size()) return a + " needs a value";
        const std::string v = takesValue ? args[++i] : std::string();
        if (a == "--model") {
            if (v.size() != 1 || v[0] < '0' || v[0] > '3')
                return sim::BadOptionMessage(a, v, "0, 1, 2 or 3");
            config.model = static_cast<protocol::TMeterModel>(v[0] - '0');
        } else if (a == "--mode") {
            const auto mode = sim::ParseMode(v);
            if (!mode) return sim::BadOptionMessage(a, v, sim::kModeSpecHelp);
            config.mode = *mode;
        } else if (a == "--part") {
            const auto part = sim::ParsePart(v);
            if (!part) return sim::BadOptionMessage(a, v, sim::kPartForms);
            config.part = *part;
        } else if (a == "--noise") {
            char* end = nullptr;
            config.noise = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(config.noise >= 0) || config.noise > 0.5)
                return sim::BadOptionMessage(a, v, "a fraction from 0 to 0.5");
        } else if (a == "--link") {
            if (v.empty()) return sim::BadOptionMessage(a, v, "a path for the link");
            link = v;
        } else if (a == "--late-connf") {
            config.connectFailsLate = true;
        } else if (a == "--run-together") {
            config.repliesRunTogether = true;
            config.connectDelayMs = 0;
        } else {
            return "unknown argument '" + a + "'";
        }
    }
    if (config.mode == protocol::TDisplayMode::U && !protocol::ModelInfo(config.model).uModeOffered)
        return "--mode u needs --model 0 or 2";
    return {};
}

}  // namespace

int RunSimulate(const std::vector<std::string>& args) {
    sim::TSimConfig config;
    std::string link;
    if (const std::string error = ParseArgs(args, config, link); !error.empty()) {
        std::fprintf(stderr, "rlc-meter simulate: %s\n", error.c_str());
        PrintSimulateUsage();
        return 2;
    }
    try {
        sim::TAdapterPort port(link);
        sim::TSimMeter meter(config);

        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);

        std::printf("%s\n", port.Path().c_str());
        std::fflush(stdout);

        sim::TPtyRunOptions options;
        options.stop = &gStop;
        options.controlFd = 0;
        options.onBadLine = OnBadLine;
        return sim::RunOnPty(meter, port, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rlc-meter simulate: %s\n", e.what());
        return 1;
    }
}

}  // namespace cli
