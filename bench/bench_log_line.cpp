// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what rlc-meter log spends on one frame, from the received chunk to the
// written line: the chunk's classification, the frame decoder and screens, the
// tolerance check, the CSV or JSON line and its write. No assertions.
//
// usage: bench_log_line [FILE] [FRAMES]   (default: a file in the current folder)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/line_sink.h"
#include "cli/log_pipeline.h"
#include "cli/options.h"
#include "support/english.h"
#include "linkcore/chunk.h"
#include "sim/meter.h"

namespace {

// Frames as the simulated meter sends them, for a few parts.
std::vector<protocol::TMeasurementFrame> RecordedFrames() {
    std::vector<protocol::TMeasurementFrame> frames;
    for (const char* part : {"C=100n", "R=1k", "L=10m", "C=120n", "R=47"}) {
        sim::TSimConfig c;
        c.part = *sim::ParsePart(part);
        sim::TSimMeter meter(c);
        for (int i = 0; i < 20; ++i) frames.push_back(meter.BuildFrame());
    }
    return frames;
}

struct TCost {
    double wall = 0;  // µs per frame
    double cpu = 0;   // µs per frame of processor time: the wall time less the
                      // waits for the disk
};

TCost MicrosecondsPerFrame(cli::TLogFormat format, const std::optional<std::string>& path,
                           long count) {
    i18n::TLexicons lexicons;
    lexicons.SetLanguage(testing_support::English());
    cli::TLogPipelineConfig config;
    config.format = format;
    std::string error;
    cli::BuildReference({"C=100n", "5%"}, {"D=0.01", "<"}, ".", config.reference, error);
    cli::TLogPipeline pipeline(config, lexicons);
    cli::TLineSink sink;
    if (path) std::filesystem::remove(*path);
    if (!sink.Open(path.value_or("/dev/null"), pipeline.Header(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    const auto frames = RecordedFrames();
    const logcore::TLocalTime now = logcore::LocalTimeNow();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (long i = 0; i < count; ++i) {
        const auto& f = frames[static_cast<std::size_t>(i) % frames.size()];
        const std::string_view chunk(reinterpret_cast<const char*>(f.data()), f.size());
        if (linkcore::ClassifyChunk(chunk, false) != linkcore::TChunkKind::Frame) continue;
        const auto fed = pipeline.Feed(f, now, true);
        if (fed.line && !sink.Write(*fed.line, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
    }
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return {s * 1e6 / static_cast<double>(count), cpu * 1e6 / static_cast<double>(count)};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : "bench-log-line.csv";
    const long frames = argc > 2 ? std::atol(argv[2]) : 2000;
    if (frames <= 0) {
        std::fprintf(stderr, "usage: bench_log_line [FILE] [FRAMES]\n");
        return 2;
    }
    // The meter's fastest report interval is 0.5 s: 1 % of it is 5000 µs.
    std::printf("rlc-meter log, chunk to written line (%ld frames; 1%% of 0.5 s = 5000 us)\n",
                frames);
    const auto show = [](const char* what, TCost c) {
        std::printf("  %-40s %9.2f us/frame wall, %9.2f us/frame processor\n", what, c.wall, c.cpu);
    };
    show("csv to /dev/null", MicrosecondsPerFrame(cli::TLogFormat::Csv, std::nullopt, frames * 10));
    show("jsonl to /dev/null",
         MicrosecondsPerFrame(cli::TLogFormat::Jsonl, std::nullopt, frames * 10));
    show("csv to FILE, each line synced to disk",
         MicrosecondsPerFrame(cli::TLogFormat::Csv, file, frames));
    std::filesystem::remove(file);
    return 0;
}
