// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter match: groups a journal's parts into matched sets.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/json_out.h"
#include "cli/options.h"
#include "i18n/lexicon.h"
#include "log/journal.h"
#include "log/journal_reader.h"
#include "log/matching.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter match JOURNAL.csv --size K --within P% [--within2 P%]\n"
    "                       [--format text|csv|json] [--lang ru|en]\n"
    "  Groups the journal's parts into as many sets of K as possible whose primary\n"
    "  values (and with --within2 also the secondary ones) lie within P % of the\n"
    "  set's mean; prints each set and the parts left over. Rows are numbered from\n"
    "  1, the first after the header.\n";

enum class TFormat { Text, Csv, Json };

struct TMatchOptions {
    std::string file;
    std::optional<int> size;
    std::optional<double> within;
    std::optional<double> within2;
    TFormat format = TFormat::Text;
    std::string lang = "ru";
};

bool ParseArgs(const std::vector<std::string>& args, TMatchOptions& opt, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        auto value = [&] {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        if (a == "--size") {
            if (!value()) return false;
            int k = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), k);
            if (ec != std::errc{} || end != v.data() + v.size() || k < 2 || k > 1000) {
                error = "--size must be a whole number of parts from 2 to 1000";
                return false;
            }
            opt.size = k;
        } else if (a == "--within" || a == "--within2") {
            if (!value()) return false;
            const std::optional<double> p = logcore::ParseWithin(v, error);
            if (!p) {
                error = a + " " + error;
                return false;
            }
            (a == "--within" ? opt.within : opt.within2) = p;
        } else if (a == "--format") {
            if (!value()) return false;
            if (v == "text")
                opt.format = TFormat::Text;
            else if (v == "csv")
                opt.format = TFormat::Csv;
            else if (v == "json")
                opt.format = TFormat::Json;
            else {
                error = "--format must be text, csv or json";
                return false;
            }
        } else if (a == "--lang") {
            if (!value()) return false;
            if (v != "ru" && v != "en") {
                error = "--lang must be ru or en";
                return false;
            }
            opt.lang = v;
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
    if (opt.file.empty())
        error = "no journal file given";
    else if (!opt.size)
        error = "--size K is needed";
    else if (!opt.within)
        error = "--within P% is needed";
    return error.empty();
}

// What a row shows beside its values, for the text and CSV forms.
struct TRowInfo {
    long position = 0;
    std::string name;
};

std::string Number(const std::optional<double>& v) {
    return v ? logcore::JournalNumber(*v) : "";
}

struct TRead {
    std::vector<logcore::TMatchPart> parts;
    std::vector<TRowInfo> info;  // by row number - 1; rows that could not be read stay empty
    bool bad = false;
    bool journal = true;
    bool unreadable = false;
};

// Every line that held a row counts, read or not, so row numbers are those a
// spreadsheet shows below the header.
bool CountsAsRow(const logcore::TJournalProblem& p) {
    using K = logcore::TJournalProblem::TKind;
    return p.line > 0 && (p.kind == K::FieldCount || p.kind == K::BadValue ||
                          p.kind == K::NotUtf8 || p.kind == K::TooLong);
}

TRead ReadParts(const TMatchOptions& opt, int fd, const i18n::TLexicons& lexicons) {
    TRead r;
    logcore::TJournalReader reader(logcore::FileSource(fd));
    long row = 0;
    for (logcore::TJournalReader::TStep step;
         (step = reader.Next()) != logcore::TJournalReader::TStep::End;) {
        if (step == logcore::TJournalReader::TStep::Row) {
            const logcore::TJournalRowView& v = reader.Row();
            ++row;
            r.parts.push_back({row, v.primary.value_or(std::nan("")), v.secondary});
            r.info.push_back({v.position, std::string(v.name)});
            continue;
        }
        const logcore::TJournalProblem& problem = reader.Problem();
        std::fprintf(stderr, "%s: %s\n", opt.file.c_str(),
                     logcore::JournalProblemText(problem, lexicons).c_str());
        if (CountsAsRow(problem)) {
            ++row;
            r.info.emplace_back();
        }
        if (problem.kind == logcore::TJournalProblem::TKind::CannotRead) r.unreadable = true;
        r.bad = r.bad || problem.kind != logcore::TJournalProblem::TKind::IncompleteLastLine;
        r.journal = r.journal && !logcore::NotAJournal(problem);
    }
    return r;
}

std::string Json(const logcore::TMatchResult& m) {
    std::string out = "{\"sets\":[";
    for (std::size_t s = 0; s < m.sets.size(); ++s) {
        if (s) out += ',';
        out += '[';
        for (std::size_t i = 0; i < m.sets[s].size(); ++i) {
            if (i) out += ',';
            out += std::to_string(m.sets[s][i]);
        }
        out += ']';
    }
    out += "],\"left\":[";
    for (std::size_t i = 0; i < m.left.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(m.left[i]);
    }
    return out + "]}\n";
}

class TPrinter {
  public:
    TPrinter(const TRead& read, const i18n::TLexicons& lexicons)
        : read_(read), lexicons_(lexicons) {}

    std::string Csv(const logcore::TMatchResult& m) const {
        std::string out = "set;row;position;name;primary;secondary\r\n";
        for (std::size_t s = 0; s < m.sets.size(); ++s)
            for (long row : m.sets[s]) out += CsvRow(std::to_string(s + 1), row);
        for (long row : m.left) out += CsvRow("", row);
        return out;
    }

    std::string Text(const logcore::TMatchResult& m) const {
        using namespace i18n::bintext;
        const auto& d = lexicons_.Dbins;
        std::string out;
        for (std::size_t s = 0; s < m.sets.size(); ++s) {
            double sum = 0;
            for (long row : m.sets[s]) sum += Part(row).value;
            out += d.GetItem(Set) + " " + std::to_string(s + 1) + " (" + d.GetItem(Mean) + " " +
                   logcore::JournalNumber(sum / static_cast<double>(m.sets[s].size())) + "):\n";
            for (long row : m.sets[s]) out += TextRow(row);
        }
        out += d.GetItem(LeftOver) + ": " + std::to_string(m.left.size()) + "\n";
        for (long row : m.left) out += TextRow(row);
        return out;
    }

  private:
    const logcore::TMatchPart& Part(long row) const {
        // Parts are in row order with gaps where a line could not be read.
        const auto it =
            std::lower_bound(read_.parts.begin(), read_.parts.end(), row,
                             [](const logcore::TMatchPart& p, long r) { return p.row < r; });
        return *it;
    }
    const TRowInfo& Info(long row) const { return read_.info[static_cast<std::size_t>(row - 1)]; }

    std::string CsvRow(const std::string& set, long row) const {
        const logcore::TMatchPart& p = Part(row);
        return logcore::CsvLine(
            {set, std::to_string(row), std::to_string(Info(row).position), Info(row).name,
             Number(std::isfinite(p.value) ? std::optional(p.value) : std::nullopt),
             Number(p.value2)});
    }

    std::string TextRow(long row) const {
        using namespace i18n::bintext;
        const auto& d = lexicons_.Dbins;
        const logcore::TMatchPart& p = Part(row);
        std::string line = "  " + d.GetItem(Row) + " " + std::to_string(row) + ", " +
                           d.GetItem(Position) + " " + std::to_string(Info(row).position);
        if (!Info(row).name.empty()) line += ", " + Info(row).name;
        line += ": " + (std::isfinite(p.value) ? logcore::JournalNumber(p.value)
                                               : lexicons_.Dstat.GetItem(i18n::stat::NotDefined));
        if (p.value2) line += "; " + logcore::JournalNumber(*p.value2);
        return line + "\n";
    }

    const TRead& read_;
    const i18n::TLexicons& lexicons_;
};

}  // namespace

int RunMatch(const std::vector<std::string>& args) {
    TMatchOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::fprintf(stderr, "rlc-meter match: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    i18n::TLexicons lexicons;
    if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, error)) {
        std::fprintf(stderr, "rlc-meter match: %s\n", error.c_str());
        return 2;
    }
    TInputFile input;
    if (!input.Open(opt.file, error)) {
        std::fprintf(stderr, "rlc-meter match: %s\n", error.c_str());
        return 2;
    }
    const TRead read = ReadParts(opt, input.Fd(), lexicons);
    if (read.unreadable) return 2;
    if (!read.journal) return 1;
    const logcore::TMatchResult result =
        logcore::MatchSets(read.parts, {*opt.size, *opt.within, opt.within2});
    const TPrinter printer(read, lexicons);
    const std::string out = opt.format == TFormat::Json  ? Json(result)
                            : opt.format == TFormat::Csv ? printer.Csv(result)
                                                         : printer.Text(result);
    std::fputs(out.c_str(), stdout);
    return read.bad ? 1 : 0;
}

}  // namespace cli
