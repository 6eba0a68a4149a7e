// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/journal_reader.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

#include "log/bins.h"
#include "log/utf8.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace logcore {
namespace {

// Columns by their names in the header, today's and the older ones: files
// written before the cells had names call them col0 .. col9.
struct TColumn {
    std::string_view name;
    std::string_view older;
};
constexpr std::array<TColumn, 22> kColumns{{{"time", {}},
                                            {"mode", {}},
                                            {"position", {}},
                                            {"name", {}},
                                            {"grid_position", "col0"},
                                            {"grid_time", "col1"},
                                            {"grid_primary", "col2"},
                                            {"grid_secondary", "col3"},
                                            {"grid_circuit", "col4"},
                                            {"grid_frequency", "col5"},
                                            {"grid_level", "col6"},
                                            {"grid_reject", "col7"},
                                            {"grid_primary_deviation", "col8"},
                                            {"grid_secondary_deviation", "col9"},
                                            {"Rs", {}},
                                            {"Xs", {}},
                                            {"Rp", {}},
                                            {"Xp", {}},
                                            {"frequency_hz", {}},
                                            {"primary", {}},
                                            {"secondary", {}},
                                            {"verdict", {}}}};

// Added later, so a journal may lack it.
constexpr std::string_view kBinColumn = "bin";

constexpr std::size_t kChunk = 1 << 18;

std::optional<double> ParseDouble(std::string_view text) {
    double v = 0;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(text.data(), last, v);
    if (text.empty() || ec != std::errc{} || end != last) return std::nullopt;
    return v;
}

template <typename Int>
std::optional<Int> ParseInteger(std::string_view text) {
    Int v = 0;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(text.data(), last, v);
    if (text.empty() || ec != std::errc{} || end != last) return std::nullopt;
    return v;
}

}  // namespace

TJournalRow TJournalRowView::ToRow() const {
    TJournalRow r;
    static_cast<TJournalNumbers&>(r) = *this;
    r.position = position;
    r.name = std::string(name);
    for (std::size_t c = 0; c < cells.size(); ++c) r.cells[c] = std::string(cells[c]);
    return r;
}

TJournalSource MemorySource(std::string_view bytes) {
    return [bytes](char* into, std::size_t size, long long offset) -> long long {
        if (offset < 0 || static_cast<std::size_t>(offset) >= bytes.size()) return 0;
        const std::size_t n = std::min(size, bytes.size() - static_cast<std::size_t>(offset));
        std::memcpy(into, bytes.data() + offset, n);
        return static_cast<long long>(n);
    };
}

#ifdef _WIN32
TJournalSource FileSource(int fd) {
    return [fd](char* into, std::size_t size, long long offset) -> long long {
        if (_lseeki64(fd, offset, SEEK_SET) < 0) return -1;
        return _read(fd, into, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
    };
}
#else
TJournalSource FileSource(int fd) {
    return [fd](char* into, std::size_t size, long long offset) -> long long {
        for (;;) {
            const ssize_t n = ::pread(fd, into, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            return n;
        }
    };
}
#endif

bool NotAJournal(const TJournalProblem& problem) {
    using K = TJournalProblem::TKind;
    switch (problem.kind) {
        case K::CannotRead:
        case K::NotAHeader:
        case K::MissingColumn:
        case K::Empty:
        case K::NoLineBreak:
            return true;
        default:
            return false;
    }
}

TJournalReader::TJournalReader(TJournalSource source) : source_(std::move(source)) {
    buffer_.resize(kChunk);
}

bool TJournalReader::Fill() {
    if (atEnd_ || failed_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        bufferOffset_ += static_cast<long long>(begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() - end_ < kChunk / 2) buffer_.resize(buffer_.size() * 2);
    const long long n =
        source_(buffer_.data() + end_, buffer_.size() - end_, bufferOffset_ + static_cast<long long>(end_));
    if (n < 0) {
        failed_ = true;
        problem_ = {line_, TJournalProblem::TKind::CannotRead,
                    std::generic_category().message(errno)};
        return false;
    }
    if (n == 0) {
        atEnd_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
}

// Splits the next record off the buffer. A record without its line break at
// the end of the file (or ending inside quotes) is incomplete.
TJournalReader::TSplit TJournalReader::SplitNext(TRecord& record) {
    record.fields.clear();
    for (;;) {
        if (begin_ == end_ && !Fill()) return failed_ ? TSplit::Failed : TSplit::End;
        const char* b = buffer_.data();
        const std::size_t start = begin_;
        record.line = line_;
        record.offset = bufferOffset_ + static_cast<long long>(start);

        // Most lines hold no quote: their fields are the bytes between the ';'.
        if (const void* nl = std::memchr(b + start, '\n', end_ - start)) {
            const std::size_t lineEnd = static_cast<const char*>(nl) - b;
            std::size_t contentEnd = lineEnd;
            if (contentEnd > start && b[contentEnd - 1] == '\r') --contentEnd;
            if (lineEnd - start > kMaxJournalLine) {
                begin_ = lineEnd + 1;
                ++line_;
                return TSplit::TooLong;
            }
            if (!std::memchr(b + start, '"', contentEnd - start)) {
                std::size_t from = start;
                for (;;) {
                    const void* semi = std::memchr(b + from, ';', contentEnd - from);
                    const std::size_t to =
                        semi ? static_cast<std::size_t>(static_cast<const char*>(semi) - b)
                             : contentEnd;
                    record.fields.emplace_back(b + from, to - from);
                    if (!semi) break;
                    from = to + 1;
                }
                begin_ = lineEnd + 1;
                ++line_;
                return contentEnd == start ? TSplit::Blank : TSplit::Record;
            }
        }

        // A quoted field may hold ';', quotes and line breaks.
        unquoted_.clear();
        std::vector<std::pair<std::size_t, std::size_t>> bounds;
        std::size_t fieldStart = 0;
        bool inQuotes = false;
        bool terminated = false;
        long lines = 0;
        std::size_t pos = start;
        while (pos < end_) {
            const char c = b[pos];
            const bool last = pos + 1 >= end_;
            if (inQuotes) {
                if (c == '"') {
                    if (last && !atEnd_) break;  // a doubled quote may follow
                    if (!last && b[pos + 1] == '"') {
                        unquoted_ += '"';
                        pos += 2;
                    } else {
                        inQuotes = false;
                        ++pos;
                    }
                } else {
                    if (c == '\n') ++lines;
                    unquoted_ += c;
                    ++pos;
                }
            } else if (c == ';') {
                bounds.emplace_back(fieldStart, unquoted_.size() - fieldStart);
                fieldStart = unquoted_.size();
                ++pos;
            } else if (c == '\r' && last && !atEnd_) {
                break;  // a line break may follow
            } else if (c == '\n' || (c == '\r' && !last && b[pos + 1] == '\n')) {
                pos += c == '\r' ? 2 : 1;
                terminated = true;
                break;
            } else if (c == '"' && unquoted_.size() == fieldStart) {
                inQuotes = true;
                ++pos;
            } else {
                unquoted_ += c;
                ++pos;
            }
        }
        if (terminated) {
            bounds.emplace_back(fieldStart, unquoted_.size() - fieldStart);
            for (const auto& [at, size] : bounds) record.fields.emplace_back(unquoted_.data() + at, size);
            begin_ = pos;
            line_ += lines + 1;
            const bool blank = record.fields.size() == 1 && record.fields[0].empty();
            return blank ? TSplit::Blank : TSplit::Record;
        }
        if (end_ - start > kMaxJournalLine) {
            // Not a journal line: skip to the next line break, counting lines.
            for (;;) {
                const char* from = buffer_.data() + begin_;
                if (const void* nl = std::memchr(from, '\n', end_ - begin_)) {
                    begin_ = static_cast<std::size_t>(static_cast<const char*>(nl) - buffer_.data()) + 1;
                    ++line_;
                    return TSplit::TooLong;
                }
                begin_ = end_;
                if (!Fill()) return failed_ ? TSplit::Failed : TSplit::Incomplete;
            }
        }
        if (atEnd_) {
            begin_ = end_;
            return TSplit::Incomplete;
        }
        if (!Fill()) {
            if (failed_) return TSplit::Failed;
            // The end came with this fill: split once more knowing it.
        }
    }
}

void TJournalReader::Report(long line, TJournalProblem::TKind kind, std::string detail) {
    problem_ = {line, kind, std::move(detail)};
}

bool TJournalReader::ReadHeader() {
    using K = TJournalProblem::TKind;
    // The byte-order mark is optional.
    while (end_ - begin_ < kUtf8Bom.size() && Fill()) {
    }
    if (failed_) return false;
    if (std::string_view(buffer_.data() + begin_, end_ - begin_).starts_with(kUtf8Bom))
        begin_ += kUtf8Bom.size();
    if (begin_ == end_ && atEnd_) {
        Report(0, K::Empty);
        return false;
    }
    TSplit split;
    while ((split = SplitNext(record_)) == TSplit::Blank) {
    }
    switch (split) {
        case TSplit::Record:
            break;
        case TSplit::Failed:
            return false;
        case TSplit::End:
            Report(0, K::Empty);
            return false;
        case TSplit::Incomplete:
            Report(0, K::NoLineBreak);
            return false;
        case TSplit::TooLong:
            Report(record_.line, K::NotAHeader);
            return false;
        case TSplit::Blank:
            break;
    }
    // Columns by name, so extra or reordered columns do no harm.
    std::vector<std::string_view> missing;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        bool found = false;
        for (std::string_view name : {kColumns[c].name, kColumns[c].older}) {
            if (name.empty() || found) continue;
            for (std::size_t i = 0; i < record_.fields.size(); ++i) {
                if (record_.fields[i] == name) {
                    at_[c] = i;
                    found = true;
                    break;
                }
            }
        }
        if (!found) missing.push_back(kColumns[c].name);
    }
    binAt_.reset();
    for (std::size_t i = 0; i < record_.fields.size(); ++i)
        if (record_.fields[i] == kBinColumn) binAt_ = i;
    headerFields_ = record_.fields.size();
    if (missing.size() == kColumns.size()) {
        Report(record_.line, K::NotAHeader);
        return false;
    }
    for (std::string_view name : missing)
        pending_.push_back({record_.line, K::MissingColumn, std::string(name)});
    if (!missing.empty()) return false;
    columnsFound_ = true;
    return true;
}

bool TJournalReader::ParseRow(const TRecord& rec) {
    using K = TJournalProblem::TKind;
    if (rec.fields.size() != headerFields_) {
        Report(rec.line, K::FieldCount);
        return false;
    }
    for (std::string_view f : rec.fields) {
        if (!IsValidUtf8(f)) {
            Report(rec.line, K::NotUtf8);
            return false;
        }
    }
    auto field = [&](std::size_t c) { return rec.fields[at_[c]]; };
    std::optional<std::string_view> bad;
    auto fail = [&](std::size_t c) {
        if (!bad) bad = kColumns[c].name;
    };
    TJournalRowView& row = row_;
    row.line = rec.line;
    row.offset = rec.offset;
    if (auto t = ParseIsoTime(field(0)))
        row.time = *t;
    else
        fail(0);
    if (field(1) == "single")
        row.mode = TLogMode::Single;
    else if (field(1) == "multi")
        row.mode = TLogMode::Multi;
    else
        fail(1);
    if (auto p = ParseInteger<long>(field(2)))
        row.position = *p;
    else
        fail(2);
    row.name = field(3);
    for (std::size_t c = 0; c < kLogColumns; ++c) row.cells[c] = field(4 + c);
    double* numbers[] = {&row.Rs, &row.Xs, &row.Rp, &row.Xp, &row.frequencyHz};
    for (std::size_t k = 0; k < 5; ++k) {
        if (auto v = ParseDouble(field(14 + k)))
            *numbers[k] = *v;
        else
            fail(14 + k);
    }
    std::optional<double>* optionals[] = {&row.primary, &row.secondary};
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string_view text = field(19 + k);
        optionals[k]->reset();
        if (text.empty()) continue;
        if (auto v = ParseDouble(text))
            *optionals[k] = *v;
        else
            fail(19 + k);
    }
    if (auto v = ParseInteger<std::int32_t>(field(21)))
        row.verdict = *v;
    else
        fail(21);
    row.bin.reset();
    if (binAt_ && !rec.fields[*binAt_].empty()) {
        const auto b = ParseInteger<int>(rec.fields[*binAt_]);
        if (b && *b >= kBinOut && *b <= kBinSecondaryOut)
            row.bin = *b;
        else if (!bad)
            bad = kBinColumn;
    }
    if (bad) {
        Report(rec.line, K::BadValue, std::string(*bad));
        return false;
    }
    return true;
}

TJournalReader::TStep TJournalReader::Next() {
    using K = TJournalProblem::TKind;
    if (pendingAt_ < pending_.size()) {
        problem_ = pending_[pendingAt_++];
        return TStep::Problem;
    }
    if (finished_) return TStep::End;
    if (!headerRead_) {
        headerRead_ = true;
        if (!ReadHeader()) {
            finished_ = true;
            if (!pending_.empty()) return Next();
            return TStep::Problem;
        }
    }
    for (;;) {
        switch (SplitNext(record_)) {
            case TSplit::Blank:
                continue;
            case TSplit::End:
                finished_ = true;
                return TStep::End;
            case TSplit::Failed:
                finished_ = true;
                return TStep::Problem;
            case TSplit::Incomplete:
                finished_ = true;
                Report(record_.line, K::IncompleteLastLine);
                return TStep::Problem;
            case TSplit::TooLong:
                Report(record_.line, K::TooLong);
                return TStep::Problem;
            case TSplit::Record:
                return ParseRow(record_) ? TStep::Row : TStep::Problem;
        }
    }
}

bool TJournalReader::ReadRowAt(long long offset, long line) {
    if (!columnsFound_) return false;
    const long long bufferEnd = bufferOffset_ + static_cast<long long>(end_);
    if (offset >= bufferOffset_ && offset < bufferEnd) {
        begin_ = static_cast<std::size_t>(offset - bufferOffset_);
    } else {
        begin_ = end_ = 0;
        bufferOffset_ = offset;
        atEnd_ = false;
    }
    line_ = line;
    return SplitNext(record_) == TSplit::Record && ParseRow(record_);
}

}  // namespace logcore
