// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter stats: the figures of a journal file, as the statistics window
// shows them, in text or JSON.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/options.h"
#include "i18n/lexicon.h"
#include "log/bin_report.h"
#include "log/journal.h"
#include "log/journal_reader.h"
#include "log/stat_report.h"
#include "log/statistics.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter stats [--format text|json] [--lang ru|en] [--decimal C]\n"
    "                       [--ref R|L|C=VALUE --tol TOL] [--ref2 R|Q|D=VALUE --tol2 TOL]\n"
    "                       [--bins LIST] JOURNAL.csv\n"
    "  The journal does not record the reference editor: give the band with --ref/--tol\n"
    "  (and --ref2/--tol2) to get Cp and Cpk; it applies to every row.\n"
    "  --bins LIST (1%,2%,5% or -1%:+2%, around --ref) sorts every row's primary value\n"
    "  into bands, --tol2 rejecting into secondary out, and prints counts and shares.\n";

struct TStatsOptions {
    bool json = false;
    std::string lang = "ru";
    std::string decimal = ".";
    std::string file;
    TReferenceOption primary;
    TReferenceOption secondary;
    std::optional<std::string> bins;
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
        } else if (a == "--bins") {
            if (!value(v)) return false;
            opt.bins = v;
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
    logcore::TBins bins;
    if (!ParseArgs(args, opt, error) ||
        !BuildReference(opt.primary, opt.secondary, ".", reference, error) ||
        !BuildBins(opt.bins, opt.primary, bins, error)) {
        std::fprintf(stderr, "rlc-meter stats: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    i18n::TLexicons lexicons;
    if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, error)) {
        std::fprintf(stderr, "rlc-meter stats: %s\n", error.c_str());
        return 2;
    }

    TInputFile input;
    if (!input.Open(opt.file, error)) {
        std::fprintf(stderr, "rlc-meter stats: %s\n", error.c_str());
        return 2;
    }
    // Row by row: the figures are running sums, so no row is kept.
    const auto primaryBand = logcore::PrimaryBand(reference);
    const auto secondaryBand = logcore::SecondaryBand(reference);
    logcore::TStatistics statistics;
    logcore::TBinCounts binCounts;
    logcore::TStatRow stat;
    stat.primaryBand = primaryBand;
    stat.secondaryBand = secondaryBand;
    // The journal does not say what was measured; a reference does, for units.
    if (opt.primary.ref) stat.primaryParameter = logcore::RecordParameter(reference.CBox2, true);
    if (opt.secondary.ref)
        stat.secondaryParameter = logcore::RecordParameter(reference.CBox11, false);
    logcore::TJournalReader reader(logcore::FileSource(input.Fd()));
    bool bad = false;
    bool journal = true;
    for (logcore::TJournalReader::TStep step;
         (step = reader.Next()) != logcore::TJournalReader::TStep::End;) {
        if (step == logcore::TJournalReader::TStep::Row) {
            const logcore::TJournalRowView& row = reader.Row();
            stat.mode = row.mode;
            stat.entry = row.position;
            if (row.mode == logcore::TLogMode::Multi) stat.name.assign(row.name);
            stat.verdict = row.verdict;
            stat.primary = row.primary;
            stat.secondary = row.secondary;
            statistics.Add(stat);
            if (!bins.Empty())
                binCounts.Add(logcore::BinOfValues(bins, reference, row.primary, row.secondary));
            continue;
        }
        const logcore::TJournalProblem& problem = reader.Problem();
        std::fprintf(stderr, "%s: %s\n", opt.file.c_str(),
                     logcore::JournalProblemText(problem, lexicons).c_str());
        if (problem.kind == logcore::TJournalProblem::TKind::CannotRead) return 2;
        // A line cut off by a crash is expected; the rows before it are whole.
        bad = bad || problem.kind != logcore::TJournalProblem::TKind::IncompleteLastLine;
        journal = journal && !logcore::NotAJournal(problem);
    }
    // Figures of a file that is no journal would read as an empty log.
    if (!journal) return 1;

    std::string out = opt.json ? logcore::StatisticsJson(statistics)
                               : logcore::StatisticsText(statistics, lexicons, opt.decimal);
    if (!bins.Empty()) {
        if (opt.json)  // one more member before the object's closing brace
            out.insert(out.rfind('}'), ", \"bins\": " + logcore::BinCountsJson(bins, binCounts));
        else
            out += logcore::BinCountsText(bins, binCounts, lexicons, opt.decimal);
    }
    std::fputs(out.c_str(), stdout);
    return bad ? 1 : 0;
}

}  // namespace cli
