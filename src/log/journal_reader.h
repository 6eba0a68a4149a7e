// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/journal.h"

// Reads a journal row by row without holding the file: memory stays the same
// for ten rows or ten million. Texts of a row point into the reader's buffer
// and hold until the next call.
namespace logcore {

// A journal row as read; `ToRow` makes a copy that owns its texts.
struct TJournalRowView : TJournalNumbers {
    long line = 0;           // 1-based, of the row's first line
    long long offset = 0;    // where the row starts in the file
    long position = 1;
    std::string_view name;
    std::array<std::string_view, kLogColumns> cells;

    TJournalRow ToRow() const;
};

// Gives up to `size` bytes from `offset` on; 0 at the end, -1 when the file
// cannot be read (errno set).
using TJournalSource = std::function<long long(char* into, std::size_t size, long long offset)>;

// A source over bytes already in memory.
TJournalSource MemorySource(std::string_view bytes);
// A source over an open file descriptor (read with pread: the reader may go
// back to a row it has seen).
TJournalSource FileSource(int fd);

// The longest line taken: a journal line is a few hundred bytes, so anything
// longer is not one, and reading it whole would cost its size in memory.
inline constexpr std::size_t kMaxJournalLine = 1 << 20;

class TJournalReader {
  public:
    explicit TJournalReader(TJournalSource source);

    enum class TStep { Row, Problem, End };
    // The next row or problem. The header is read first; a file that is no
    // journal gives its problem and then End.
    TStep Next();
    const TJournalRowView& Row() const { return row_; }
    const TJournalProblem& Problem() const { return problem_; }

    // Whether the header was read and names every column; false before the
    // first Next and for a file that is no journal.
    bool IsJournal() const { return columnsFound_; }

    // Reads the row that starts at `offset` (a Row().offset seen before) and
    // on the given line. False when it can no longer be read as a row.
    bool ReadRowAt(long long offset, long line);

  private:
    struct TRecord {
        long line = 0;
        long long offset = 0;
        std::vector<std::string_view> fields;
    };
    enum class TSplit { Record, Blank, Incomplete, TooLong, End, Failed };

    TSplit SplitNext(TRecord& record);
    bool Fill();  // more bytes after the buffered ones; false at the end or on failure
    bool ReadHeader();
    bool ParseRow(const TRecord& record);
    void Report(long line, TJournalProblem::TKind kind, std::string detail = {});

    TJournalSource source_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;       // first unread byte in buffer_
    std::size_t end_ = 0;         // end of the bytes in buffer_
    long long bufferOffset_ = 0;  // file offset of buffer_[0]
    bool atEnd_ = false;
    bool failed_ = false;
    long line_ = 1;
    bool headerRead_ = false;
    bool columnsFound_ = false;
    bool finished_ = false;
    std::size_t headerFields_ = 0;
    std::array<std::size_t, 22> at_{};
    std::optional<std::size_t> binAt_;      // older journals have no bin column
    std::vector<TJournalProblem> pending_;  // the header's missing columns
    std::size_t pendingAt_ = 0;
    std::string unquoted_;  // a quoted record's fields, unescaped
    TRecord record_;
    TJournalRowView row_;
    TJournalProblem problem_;
};

// Whether a problem means the file is no journal at all (nothing in it can be
// read as rows).
bool NotAJournal(const TJournalProblem& problem);

}  // namespace logcore
