// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter stats: the figures of a journal file, as the statistics window
// shows them, in text or JSON.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "i18n/lexicon.h"
#include "log/journal.h"
#include "log/stat_report.h"
#include "log/statistics.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter stats [--format text|json] [--lang ru|en] [--decimal C]\n"
    "                       [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                       JOURNAL.csv\n"
    "  The journal does not record the reference editor: give the band with --ref/--tol\n"
    "  (and --ref2/--tol2) to get Cp and Cpk; it applies to every row.\n";

struct TStatsOptions {
    bool json = false;
    std::string lang = "ru";
    std::string decimal = ".";
    std::string file;
    TReferenceOption primary;
    TReferenceOption secondary;
};

bool ParseArgs(const std::vector<std::string>& args, TStatsOptions& opt, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--format") {
            if (!value(v)) return false;
            if (v != "text" && v != "json") {
                error = "--format must be text or json";
                return false;
            }
            opt.json = v == "json";
        } else if (a == "--lang") {
            if (!value(v)) return false;
            if (v != "ru" && v != "en") {
                error = "--lang must be ru or en";
                return false;
            }
            opt.lang = v;
        } else if (a == "--decimal") {
            if (!value(v)) return false;
            if (v.empty()) {
                error = "--decimal needs a character";
                return false;
            }
            opt.decimal = v;
        } else if (a == "--ref" || a == "--tol" || a == "--ref2" || a == "--tol2") {
            if (!value(v)) return false;
            TReferenceOption& o = a.ends_with('2') ? opt.secondary : opt.primary;
            (a.starts_with("--ref") ? o.ref : o.tol) = v;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (!opt.file.empty()) {
            error = "only one journal file";
            return false;
        } else {
            opt.file = a;
        }
    }
    if (opt.file.empty()) error = "no journal file given";
    return error.empty();
}

}  // namespace

int RunStats(const std::vector<std::string>& args) {
    TStatsOptions opt;
    std::string error;
    logcore::TReferenceInput reference;
    if (!ParseArgs(args, opt, error) ||
        !BuildReference(opt.primary, opt.secondary, ".", reference, error)) {
        std::fprintf(stderr, "rlc-meter stats: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    i18n::TLexicons lexicons;
    if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, error)) {
        std::fprintf(stderr, "rlc-meter stats: %s\n", error.c_str());
        return 2;
    }

    const logcore::TJournalContents contents = logcore::ReadJournalFile(opt.file);
    bool bad = false;
    for (const logcore::TJournalProblem& problem : contents.problems) {
        std::fprintf(stderr, "%s: %s\n", opt.file.c_str(),
                     logcore::JournalProblemText(problem, lexicons).c_str());
        // A line cut off by a crash is expected; the rows before it are whole.
        bad = bad || problem.kind != logcore::TJournalProblem::TKind::IncompleteLastLine;
        if (problem.kind == logcore::TJournalProblem::TKind::CannotRead) return 2;
    }

    const auto primaryBand = logcore::PrimaryBand(reference);
    const auto secondaryBand = logcore::SecondaryBand(reference);
    logcore::TStatistics statistics;
    for (const logcore::TJournalRow& row : contents.rows)
        statistics.Add(logcore::StatRowFromJournal(row, primaryBand, secondaryBand));
    const std::string out = opt.json ? logcore::StatisticsJson(statistics)
                                     : logcore::StatisticsText(statistics, lexicons, opt.decimal);
    std::fputs(out.c_str(), stdout);
    return bad ? 1 : 0;
}

}  // namespace cli
