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
#include "cli/input_file.h"
#include "cli/options.h"
#include "export/journal_grid.h"
#include "export/xlsx_writer.h"
#include "i18n/lexicon.h"
#include "log/journal.h"
#include "log/journal_reader.h"

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
    TInputFile input;
    if (!input.Open(journalPath, error)) {
        std::cerr << "rlc-meter export: " << error << "\n";
        return 2;
    }
    logcore::TJournalReader reader(logcore::FileSource(input.Fd()));
    exporter::TJournalGridIndex index;
    int status = 0;
    // Every problem is said once. A last line cut off by a crash is expected
    // and only reported; any other problem makes the exit status 1, though
    // the readable rows are exported.
    const bool journal =
        exporter::IndexJournal(reader, index, [&](const logcore::TJournalProblem& p) {
            using K = logcore::TJournalProblem::TKind;
            std::cerr << "rlc-meter export: " << journalPath << ": "
                      << logcore::JournalProblemText(p, lexicons) << "\n";
            if (p.kind == K::CannotRead)
                status = 2;
            else if (p.kind != K::IncompleteLastLine && status == 0)
                status = 1;
        });
    // A file that is no journal gets no workbook: an empty one would pass for
    // an export of an empty log.
    if (!journal) return status ? status : 1;
    if (index.Skipped())
        std::cerr << "rlc-meter export: " << journalPath << ": " << index.Skipped()
                  << " rows with a position outside 1.." << exporter::kMaxPosition << " left out\n";

    const exporter::TSheetOptions sheet =
        exporter::SheetOptions(lexicons, opt.decimal ? *opt.decimal : SystemDecimal());
    const exporter::TGridRow header = exporter::GridHeader(index.Multi(), lexicons);
    bool reread = true;
    const bool ok = exporter::WriteWorkbook(
        outPath, sheet, index.LastPosition() + 1,
        [&](int r, exporter::TExportRow& out) {
            if (r == 0) {
                out.cells = header;
                return;
            }
            if (!exporter::ReadGridRow(reader, index, r, out)) reread = false;
        },
        error);
    if (!ok) {
        std::cerr << "rlc-meter export: cannot write " << outPath << ": " << error << "\n";
        return 1;
    }
    if (!reread) {
        std::cerr << "rlc-meter export: " << journalPath
                  << " changed while it was exported; rows of it may be missing\n";
        return 1;
    }
    return status;
}

}  // namespace cli
