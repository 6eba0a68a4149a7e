// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/lexicon.h"
#include "log/local_time.h"
#include "log/log_row.h"

// The journal: every logged row also goes at once into an append-only CSV file,
// one file per log, so no recorded row is lost to a crash, a power cut or an
// emptied grid.
//
// File layout (UTF-8 with a byte-order mark, lines end with CR LF, fields
// separated by ";", quoted when they hold ";", a quote, CR or LF, quotes
// doubled):
//
//   time          local time with offset, 2026-12-10T14:03:05.123+01:00
//   mode          single | multi
//   position      grid position (single) or profile entry number (multi)
//   name          the profile entry's name in multi mode, empty in single
//   grid_position .. grid_secondary_deviation
//                 the ten cells of the grid row as shown after the append
//                 (files written before they had names call them col0..col9)
//   Rs Xs Rp Xp   ohms, shortest round-trip C-locale numbers (nan, inf as such)
//   frequency_hz  test frequency
//   primary       shown primary value in SI units, empty when there is none
//   secondary     shown secondary value in SI units, empty when there is none
//   verdict       0, 1, 2, 3 or 20
//   bin           the bin the part was sorted into (log/bins.h): 1..9 a band,
//                 0 out, 10 secondary out; empty when no bins were set. Older
//                 files end before it and read as rows without a bin.
//
// A row rewritten in multi mode is a new line; lines are never edited.
namespace logcore {

inline constexpr std::string_view kJournalHeader =
    "time;mode;position;name;grid_position;grid_time;grid_primary;grid_secondary;grid_circuit;"
    "grid_frequency;grid_level;grid_reject;grid_primary_deviation;grid_secondary_deviation;"
    "Rs;Xs;Rp;Xp;frequency_hz;primary;secondary;verdict;bin";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// What a journal row measured, beside the texts the grid showed for it.
struct TJournalNumbers {
    TLocalTime time;
    TLogMode mode = TLogMode::Single;
    double Rs = 0;
    double Xs = 0;
    double Rp = 0;
    double Xp = 0;
    double frequencyHz = 0;
    std::optional<double> primary;
    std::optional<double> secondary;
    std::int32_t verdict = 0;
    std::optional<int> bin;

    friend bool operator==(const TJournalNumbers&, const TJournalNumbers&) = default;
};

struct TJournalRow : TJournalNumbers {
    long position = 1;
    std::string name;
    std::array<std::string, kLogColumns> cells;

    friend bool operator==(const TJournalRow&, const TJournalRow&) = default;
};

// The journal row of an append: the grid row's cells as shown after it, and
// the measured numbers, shown values and verdict of the frame behind it.
TJournalRow MakeJournalRow(const TLocalTime& time, TLogMode mode, long position, std::string name,
                           std::array<std::string, kLogColumns> cells,
                           const protocol::TMeterState& state,
                           const protocol::TMeterSettings& settings);

// One field, quoted when it must be.
std::string CsvField(std::string_view text);
// Fields joined by ";" and ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
// A number in the C locale, the shortest text that reads back the same.
std::string JournalNumber(double value);
// The line of a row, CR LF included.
std::string JournalLine(const TJournalRow& row);

// Why the journal cannot be written.
struct TJournalFailure {
    // Removed: the file was deleted while open; `path` names the new one.
    enum class TKind { Folder = 1, Create, Write, Sync, Removed };
    TKind kind = TKind::Write;
    std::string path;
    int error = 0;  // errno
};

// One line for the connection log, through lexicon Dlog.
std::string JournalFailureText(const TJournalFailure& failure, const i18n::TLexicons& lexicons);

// Appends rows to the journal folder. The file of a log is created at its
// first row, named after that row's local time (YYYY-MM-DD_HH-MM-SS.csv, then
// _2, _3 ... when taken). Each row is one write followed by a flush to the
// disk, so a killed program leaves only whole lines. A failed row is cut off
// again and the next row tries anew; the first failure after a working state
// is returned once, later ones are silent until a row gets through. A file
// deleted while open is noticed at the next row, which starts a new file.
class TJournalWriter {
  public:
    explicit TJournalWriter(std::filesystem::path folder);
    ~TJournalWriter();
    TJournalWriter(const TJournalWriter&) = delete;
    TJournalWriter& operator=(const TJournalWriter&) = delete;

    // The failure to report, if this append starts one.
    std::optional<TJournalFailure> Append(const TJournalRow& row);

    // The log was emptied: the next row starts a new file.
    void StartNewLog();

    // The file of the current log; empty before its first row.
    const std::filesystem::path& CurrentFile() const { return file_; }
    const std::filesystem::path& Folder() const { return folder_; }
    bool Failing() const { return failing_; }

  private:
    std::optional<TJournalFailure> Open(const TLocalTime& firstRow);
    std::optional<TJournalFailure> Write(const std::string& bytes);
    void Close();
    std::optional<TJournalFailure> Report(std::optional<TJournalFailure> failure);

    std::filesystem::path folder_;
    std::filesystem::path file_;
    int fd_ = -1;
    long long size_ = 0;  // bytes known to be whole lines
    bool failing_ = false;
};

// What a reader found wrong, by line (1-based; 0 for the file as a whole).
struct TJournalProblem {
    enum class TKind {
        CannotRead = 1,
        NotAHeader,
        MissingColumn,
        FieldCount,
        BadValue,
        NotUtf8,
        IncompleteLastLine,
        Empty,        // no bytes at all
        NoLineBreak,  // not even the header line is whole
        TooLong       // a line too long to be a journal's
    };
    long line = 0;
    TKind kind = TKind::BadValue;
    std::string detail;  // the column, or the path of an unreadable file

    friend bool operator==(const TJournalProblem&, const TJournalProblem&) = default;
};

struct TJournalContents {
    std::vector<TJournalRow> rows;
    std::vector<TJournalProblem> problems;
};

// Reads any bytes: a missing byte-order mark, columns in another order and
// unknown extra columns are fine; a line that cannot be read is skipped and
// reported; a last line without CR LF is incomplete and skipped. Holds every
// row: for a file of any size use TJournalReader (log/journal_reader.h).
TJournalContents ReadJournal(std::string_view bytes);
TJournalContents ReadJournalFile(const std::filesystem::path& path);

// "line 7: bad value in column Rs", through lexicon Dlog.
std::string JournalProblemText(const TJournalProblem& problem, const i18n::TLexicons& lexicons);

// An ISO time as written to the journal, read back.
std::optional<TLocalTime> ParseIsoTime(std::string_view text);

}  // namespace logcore
