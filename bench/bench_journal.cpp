// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what a journal row costs: building its CSV line, and appending it to
// the file with the flush to the disk that every row gets. No assertions.
//
// usage: bench_journal [FOLDER] [ROWS]   (default: a folder under the current
// one, which is usually on a real disk rather than tmpfs)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "log/journal.h"

namespace {

logcore::TJournalRow SampleRow(long position) {
    logcore::TJournalRow r;
    r.time = logcore::LocalTimeNow();
    r.position = position;
    r.cells = {std::to_string(position),
               "10.12.26 14:03:05",
               "C  10,520 нФ",
               "D 0,0001",
               "S",
               "1кГц",
               "1.0Вскз",
               "+",
               "5,20",
               ""};
    r.Rs = 1.0000001 * static_cast<double>(position);
    r.Xs = 15128.8;
    r.Rp = 228883000.5;
    r.Xp = 15128.9;
    r.frequencyHz = 1000;
    r.primary = 1.052e-8;
    r.secondary = 6.6e-5;
    r.verdict = 1;
    return r;
}

template <typename F>
double SecondsFor(F&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::current_path() / "bench-journal";
    const long rows = argc > 2 ? std::atol(argv[2]) : 2000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_journal [FOLDER] [ROWS]\n");
        return 2;
    }

    std::size_t bytes = 0;
    const long lineRounds = 100000;
    const logcore::TJournalRow sample = SampleRow(12345);
    const double lineSeconds = SecondsFor([&] {
        for (long i = 0; i < lineRounds; ++i) bytes += logcore::JournalLine(sample).size();
    });
    std::printf("journal line building: %.2f us/row (%zu bytes a line)\n",
                1e6 * lineSeconds / static_cast<double>(lineRounds),
                bytes / static_cast<std::size_t>(lineRounds));

    logcore::TJournalWriter writer(folder);
    bool failed = false;
    const double appendSeconds = SecondsFor([&] {
        for (long i = 1; i <= rows && !failed; ++i)
            failed = writer.Append(SampleRow(i)).has_value();
    });
    if (failed) {
        std::fprintf(stderr, "bench_journal: cannot write to %s\n", folder.string().c_str());
        return 1;
    }
    std::printf("journal append with flush: %.1f us/row (%ld rows into %s)\n",
                1e6 * appendSeconds / static_cast<double>(rows), rows,
                writer.CurrentFile().string().c_str());
    const fs::path file = writer.CurrentFile();
    writer.StartNewLog();
    std::error_code ec;
    fs::remove(file, ec);
    fs::remove(folder, ec);  // only when nothing else is in it
    return 0;
}
