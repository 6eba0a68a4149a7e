// rlc-meter export: a journal file (one recorded log) to a workbook laid out
// like the window's export of that log.

#include <charconv>
#include <clocale>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "export/journal_grid.h"
#include "export/xlsx_writer.h"
#include "i18n/english.h"
#include "i18n/lexicon.h"

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

// Complete CRLF-terminated records of a ';'-separated file with quoted
// fields; an unterminated last record is left out.
std::vector<std::vector<std::string>> CsvRecords(std::string_view text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r') field.pop_back();
            fields.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(fields));
            fields.clear();
        } else {
            field += c;
        }
    }
    return records;
}

struct TReadJournal {
    std::vector<exporter::TJournalGridRow> rows;
    std::vector<std::string> problems;
};

TReadJournal ReadJournalRows(std::string_view text) {
    TReadJournal out;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const auto records = CsvRecords(text);
    if (records.empty()) {
        out.problems.push_back("no header line");
        return out;
    }
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < records[0].size(); ++i) column[records[0][i]] = i;
    std::vector<std::string> needed{"mode", "position"};
    for (int c = 0; c < exporter::kSheetColumns; ++c) needed.push_back("col" + std::to_string(c));
    for (const std::string& name : needed) {
        if (!column.count(name)) {
            out.problems.push_back("header has no column " + name);
            return out;
        }
    }
    for (std::size_t line = 1; line < records.size(); ++line) {
        const auto& rec = records[line];
        auto get = [&](const std::string& name) -> const std::string* {
            const std::size_t i = column[name];
            return i < rec.size() ? &rec[i] : nullptr;
        };
        exporter::TJournalGridRow row;
        const std::string* mode = get("mode");
        const std::string* position = get("position");
        int pos = 0;
        if (!mode || !position ||
            std::from_chars(position->data(), position->data() + position->size(), pos).ec !=
                std::errc{}) {
            out.problems.push_back("line " + std::to_string(line + 1) + ": no position");
            continue;
        }
        row.multi = *mode == "multi";
        row.position = pos;
        for (int c = 0; c < exporter::kSheetColumns; ++c)
            if (const std::string* cell = get("col" + std::to_string(c)))
                row.cells[static_cast<std::size_t>(c)] = *cell;
        out.rows.push_back(std::move(row));
    }
    return out;
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
    std::ifstream in(journalPath, std::ios::binary);
    if (!in) {
        std::cerr << "rlc-meter export: cannot open " << journalPath << "\n";
        return 2;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const TReadJournal journal = ReadJournalRows(text);
    for (const std::string& p : journal.problems)
        std::cerr << "rlc-meter export: " << journalPath << ": " << p << "\n";

    i18n::TLexicons lexicons;
    if (opt.lang == "en") lexicons.SetLanguage(i18n::EnglishProfileTexts());
    const exporter::TJournalGrid grid = exporter::GridFromJournal(journal.rows, lexicons);
    if (grid.skipped)
        std::cerr << "rlc-meter export: " << journalPath << ": " << grid.skipped
                  << " rows with a position outside 1.." << exporter::kMaxPosition << " left out\n";

    exporter::TSheetOptions sheet;
    sheet.decimal = opt.decimal ? *opt.decimal : SystemDecimal();
    const bool ok = exporter::WriteWorkbook(
        outPath, sheet, static_cast<int>(grid.rows.size()),
        [&](int r, exporter::TGridRow& cells) { cells = grid.rows[static_cast<std::size_t>(r)]; },
        error);
    if (!ok) {
        std::cerr << "rlc-meter export: cannot write " << outPath << ": " << error << "\n";
        return 1;
    }
    return journal.problems.empty() ? 0 : 1;
}

}  // namespace cli
