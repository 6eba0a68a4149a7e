// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what `rlc-meter match` costs on a 100 000-row journal: the matching
// alone in this process, and the whole command (reading the file included)
// as a child process with its peak memory. No assertions.
//
// usage: bench_match [RLC_METER] [ROWS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "log/journal.h"
#include "log/matching.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Resistors around 1 kΩ with a 2 % spread, as a goods-inwards check logs them.
std::vector<logcore::TMatchPart> Parts(long rows) {
    std::mt19937 random(11);
    std::normal_distribution<double> r(1000, 20);
    std::normal_distribution<double> q(0.02, 0.002);
    std::vector<logcore::TMatchPart> parts;
    for (long i = 1; i <= rows; ++i) parts.push_back({i, r(random), q(random)});
    return parts;
}

void WriteJournal(const std::filesystem::path& path,
                  const std::vector<logcore::TMatchPart>& parts) {
    std::ofstream out(path, std::ios::binary);
    out << logcore::kUtf8Bom << logcore::kJournalHeader << "\r\n";
    logcore::TJournalRow row;
    row.cells = {"1", "12:00:00", "R 1,0000 кОм", "D 0,0200", "S", "1кГц", "1.0Вскз", "+", "", ""};
    for (const logcore::TMatchPart& p : parts) {
        row.position = p.row;
        row.primary = p.value;
        row.secondary = p.value2;
        row.Rs = p.value;
        out << logcore::JournalLine(row);
    }
}

void Core(const std::vector<logcore::TMatchPart>& parts, int size, std::optional<double> within2) {
    const auto start = std::chrono::steady_clock::now();
    const logcore::TMatchResult r = logcore::MatchSets(parts, {size, 0.1, within2});
    std::printf("  core  K=%d%s: %.3f s, %zu sets, %zu left\n", size, within2 ? " --within2" : "",
                Seconds(start), r.sets.size(), r.left.size());
}

void Command(const std::string& tool, const std::string& journal, const std::string& size,
             bool within2) {
    std::fflush(stdout);  // the child must not print our buffer again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(127);
        if (within2)
            execl(tool.c_str(), tool.c_str(), "match", journal.c_str(), "--size", size.c_str(),
                  "--within", "0.1%", "--within2", "5%", "--format", "json", nullptr);
        else
            execl(tool.c_str(), tool.c_str(), "match", journal.c_str(), "--size", size.c_str(),
                  "--within", "0.1%", "--format", "json", nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::printf("  rlc-meter match --size %s%s: %.3f s wall, %.3f s cpu, peak %.1f MB, exit %d\n",
                size.c_str(), within2 ? " --within2 5%" : "", Seconds(start),
                static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
                static_cast<double>(usage.ru_maxrss) / 1024, WEXITSTATUS(status));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string tool = argc > 1 ? argv[1] : "";
    const long rows = argc > 2 ? std::stol(argv[2]) : 100000;
    const std::vector<logcore::TMatchPart> parts = Parts(rows);
    std::printf("match on %ld parts, within 0.1 %%\n", rows);
    Core(parts, 2, std::nullopt);
    Core(parts, 3, std::nullopt);
    Core(parts, 2, 5.0);
    if (tool.empty()) return 0;
    const std::filesystem::path journal = std::filesystem::temp_directory_path() /
                                          ("bench_match_" + std::to_string(getpid()) + ".csv");
    WriteJournal(journal, parts);
    std::printf("journal of %.1f MB\n",
                static_cast<double>(std::filesystem::file_size(journal)) / 1e6);
    Command(tool, journal.string(), "2", false);
    Command(tool, journal.string(), "3", false);
    Command(tool, journal.string(), "2", true);
    std::filesystem::remove(journal);
    return 0;
}
