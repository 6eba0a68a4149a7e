// SPDX-License-Identifier: GPL-3.0-or-later
// rlc-meter export: a journal file (one recorded log) to a workbook laid out
// like the window's export of that log.

#include <charconv>
#include <clocale>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "export/journal_grid.h"
#include "export/xlsx_writer.h"
#include "i18n/lexicon.h"
#include "log/journal.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: rlc-meter export JOURNAL.csv OUT.xlsx [--lang ru|en] [--decimal C]\n";

struct TExportOptions {
    std::string lang = "ru";
    std::optional<std::string> decimal;
    std::vector<std::string> files;
};

bool ParseArgs(const std::vector<std::string>& args, TExportOptions& opt, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--lang" || a == "--decimal") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--decimal") {
                opt.decimal = v;
            } else if (v == "ru" || v == "en") {
                opt.lang = v;
            } else {
                error = "--lang must be ru or en";
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else {
            opt.files.push_back(a);
        }
    }
    if (opt.files.size() != 2) {
        error = "give one journal file and one workbook file";
        return false;
    }
    return true;
}

// The decimal separator of the environment's locale: the journal's cells
// were written with the recording machine's separator.
std::string SystemDecimal() {
    std::string decimal = ".";
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv* lc = std::localeconv();
        if (lc->decimal_point && *lc->decimal_point) decimal = lc->decimal_point;
    }
    std::setlocale(LC_NUMERIC, "C");
    return decimal;
}

std::vector<exporter::TJournalGridRow> GridRows(const logcore::TJournalContents& journal) {
    std::vector<exporter::TJournalGridRow> rows;
    rows.reserve(journal.rows.size());
    for (const logcore::TJournalRow& j : journal.rows) {
        exporter::TJournalGridRow row;
        row.multi = j.mode == logcore::TLogMode::Multi;
        row.position = j.position < 1 || j.position > exporter::kMaxPosition
                           ? 0
                           : static_cast<std::int32_t>(j.position);
        for (std::size_t c = 0; c < row.cells.size(); ++c) row.cells[c] = j.cells[c];
        row.measured = exporter::MeasuredFromJournal(j);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    TExportOptions opt;
    std::string error;
    if (!ParseArgs(args, opt, error)) {
        std::cerr << "rlc-meter export: " << error << "\n" << kUsage;
        return 2;
    }
    const std::string& journalPath = opt.files[0];
    const std::string& outPath = opt.files[1];
    i18n::TLexicons lexicons;
    {
        std::string langError;
        if (!LoadToolLanguage(opt.lang, std::nullopt, lexicons, langError)) {
            std::fprintf(stderr, "rlc-meter export: %s\n", langError.c_str());
            return 2;
        }
    }
    const logcore::TJournalContents journal = logcore::ReadJournalFile(journalPath);
    // A last line cut off by a crash is expected and only reported; any other
    // problem makes the exit status 1, though the readable rows are exported.
    bool problems = false;
    for (const logcore::TJournalProblem& p : journal.problems) {
        std::cerr << "rlc-meter export: " << journalPath << ": "
                  << logcore::JournalProblemText(p, lexicons) << "\n";
        if (p.kind == logcore::TJournalProblem::TKind::CannotRead) return 2;
        if (p.kind != logcore::TJournalProblem::TKind::IncompleteLastLine) problems = true;
    }
    const exporter::TJournalGrid grid = exporter::GridFromJournal(GridRows(journal), lexicons);
    if (grid.skipped)
        std::cerr << "rlc-meter export: " << journalPath << ": " << grid.skipped
                  << " rows with a position outside 1.." << exporter::kMaxPosition << " left out\n";

    const exporter::TSheetOptions sheet =
        exporter::SheetOptions(lexicons, opt.decimal ? *opt.decimal : SystemDecimal());
    const bool ok = exporter::WriteWorkbook(
        outPath, sheet, static_cast<int>(grid.rows.size()),
        [&](int r, exporter::TExportRow& row) {
            row.cells = grid.rows[static_cast<std::size_t>(r)];
            row.measured = grid.measured[static_cast<std::size_t>(r)];
        },
        error);
    if (!ok) {
        std::cerr << "rlc-meter export: cannot write " << outPath << ": " << error << "\n";
        return 1;
    }
    return problems ? 1 : 0;
}

}  // namespace cli
