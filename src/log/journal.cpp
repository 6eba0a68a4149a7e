// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/journal.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "log/utf8.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace logcore {
namespace {

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// Thin wrappers over the platform's file calls.
#ifdef _WIN32
int OpenNew(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_APPEND | _O_BINARY,
                  _S_IREAD | _S_IWRITE);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}
int Flush(int fd) {
    return _commit(fd);
}
void CutTo(int fd, long long size) {
    _chsize_s(fd, size);
}
void CloseFile(int fd) {
    _close(fd);
}
void FlushFolder(const std::filesystem::path&) {}
// An open file cannot be deleted here.
bool Unlinked(int) {
    return false;
}
#else
int OpenNew(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
int Flush(int fd) {
#if defined(__APPLE__)
    return ::fsync(fd);
#else
    return ::fdatasync(fd);
#endif
}
void CutTo(int fd, long long size) {
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        // Nothing more to do: the next write still appends after the cut
        // attempt, and the reader skips a torn line.
    }
}
void CloseFile(int fd) {
    ::close(fd);
}
// A new file's name must survive a power cut too.
void FlushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
// Deleted while we hold it open: what we write goes nowhere anyone can read.
bool Unlinked(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_nlink == 0;
}
#endif

const char* ModeName(TLogMode mode) {
    return mode == TLogMode::Multi ? "multi" : "single";
}

std::string OptionalNumber(const std::optional<double>& v) {
    return v ? JournalNumber(*v) : "";
}

}  // namespace

TJournalRow MakeJournalRow(const TLocalTime& time, TLogMode mode, long position, std::string name,
                           std::array<std::string, kLogColumns> cells,
                           const protocol::TMeterState& state,
                           const protocol::TMeterSettings& settings) {
    TJournalRow row;
    row.time = time;
    row.mode = mode;
    row.position = position;
    row.name = std::move(name);
    row.cells = std::move(cells);
    row.Rs = state.Rs;
    row.Xs = state.Xs;
    row.Rp = state.Rp;
    row.Xp = state.Xp;
    row.frequencyHz = state.FrequencyHz;
    const TShownValues shown = ShownSiValues(state, settings);
    row.primary = shown.primary;
    row.secondary = shown.secondary;
    row.verdict = state.ToleranceVerdict;
    return row;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ';';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}

std::string JournalNumber(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc{} ? std::string(buf, end) : "nan";
}

std::string JournalLine(const TJournalRow& row) {
    std::vector<std::string> f;
    f.reserve(22);
    f.push_back(IsoTimeText(row.time));
    f.push_back(ModeName(row.mode));
    f.push_back(std::to_string(row.position));
    f.push_back(row.name);
    for (const std::string& cell : row.cells) f.push_back(cell);
    for (double v : {row.Rs, row.Xs, row.Rp, row.Xp, row.frequencyHz})
        f.push_back(JournalNumber(v));
    f.push_back(OptionalNumber(row.primary));
    f.push_back(OptionalNumber(row.secondary));
    f.push_back(std::to_string(row.verdict));
    return CsvLine(f);
}

std::string JournalFailureText(const TJournalFailure& failure, const i18n::TLexicons& lexicons) {
    if (failure.kind == TJournalFailure::TKind::Removed)
        return lexicons.Dlog.GetItem(i18n::logtext::FileRemoved) + failure.path;
    const std::string reason = std::generic_category().message(failure.error);
    return lexicons.Dlog.GetItem(i18n::logtext::NotWritten) +
           lexicons.Dlog.GetItem(static_cast<int>(failure.kind)) + " " + failure.path + " (" +
           reason + ")";
}

TJournalWriter::TJournalWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

TJournalWriter::~TJournalWriter() {
    Close();
}

void TJournalWriter::Close() {
    if (fd_ >= 0) CloseFile(fd_);
    fd_ = -1;
    size_ = 0;
    file_.clear();
}

void TJournalWriter::StartNewLog() {
    Close();
}

std::optional<TJournalFailure> TJournalWriter::Report(std::optional<TJournalFailure> failure) {
    if (!failure) {
        failing_ = false;
        return std::nullopt;
    }
    if (failing_) return std::nullopt;
    failing_ = true;
    return failure;
}

std::optional<TJournalFailure> TJournalWriter::Open(const TLocalTime& firstRow) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) return TJournalFailure{TJournalFailure::TKind::Folder, PathText(folder_), ec.value()};
    const std::string stem = FileTimeText(firstRow);
    for (int n = 1; n <= 1000; ++n) {
        std::string name = stem;
        if (n > 1) {
            name += '_';
            name += std::to_string(n);
        }
        name += ".csv";
        const std::filesystem::path path = folder_ / name;
        const int fd = OpenNew(path);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return TJournalFailure{TJournalFailure::TKind::Create, PathText(path), errno};
        fd_ = fd;
        file_ = path;
        size_ = 0;
        FlushFolder(folder_);
        return std::nullopt;
    }
    return TJournalFailure{TJournalFailure::TKind::Create, PathText(folder_ / (stem + ".csv")),
                           EEXIST};
}

std::optional<TJournalFailure> TJournalWriter::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long long n = WriteSome(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            CutTo(fd_, size_);  // no torn line before the next one
            return TJournalFailure{TJournalFailure::TKind::Write, PathText(file_), error};
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += static_cast<long long>(bytes.size());
    if (Flush(fd_) != 0)
        return TJournalFailure{TJournalFailure::TKind::Sync, PathText(file_), errno};
    return std::nullopt;
}

std::optional<TJournalFailure> TJournalWriter::Append(const TJournalRow& row) {
    const bool removed = fd_ >= 0 && Unlinked(fd_);
    if (removed) Close();
    if (fd_ < 0) {
        if (auto failure = Open(row.time)) return Report(std::move(failure));
    }
    std::string bytes;
    if (size_ == 0) {
        bytes += kUtf8Bom;
        bytes += kJournalHeader;
        bytes += "\r\n";
    }
    bytes += JournalLine(row);
    auto failure = Report(Write(bytes));
    if (removed && !failure && !failing_)
        return TJournalFailure{TJournalFailure::TKind::Removed, PathText(file_), 0};
    return failure;
}

// Reading.

namespace {

struct TRecord {
    long line = 0;
    std::vector<std::string> fields;
};

// Splits CSV bytes into records. A record that does not end with a line break
// (or ends inside quotes) is incomplete and reported.
std::vector<TRecord> SplitRecords(std::string_view bytes,
                                  std::optional<TJournalProblem>& incomplete) {
    std::vector<TRecord> records;
    std::size_t pos = 0;
    long line = 1;
    const std::size_t n = bytes.size();
    while (pos < n) {
        TRecord rec;
        rec.line = line;
        std::string field;
        bool inQuotes = false;
        bool terminated = false;
        while (pos < n) {
            const char c = bytes[pos];
            if (inQuotes) {
                if (c == '"') {
                    if (pos + 1 < n && bytes[pos + 1] == '"') {
                        field += '"';
                        pos += 2;
                    } else {
                        inQuotes = false;
                        ++pos;
                    }
                } else {
                    if (c == '\n') ++line;
                    field += c;
                    ++pos;
                }
            } else if (c == ';') {
                rec.fields.push_back(std::move(field));
                field.clear();
                ++pos;
            } else if (c == '\n' || (c == '\r' && pos + 1 < n && bytes[pos + 1] == '\n')) {
                pos += c == '\r' ? 2 : 1;
                ++line;
                terminated = true;
                break;
            } else if (c == '"' && field.empty()) {
                inQuotes = true;
                ++pos;
            } else {
                field += c;
                ++pos;
            }
        }
        if (!terminated) {
            incomplete = TJournalProblem{rec.line, TJournalProblem::TKind::IncompleteLastLine, ""};
            break;
        }
        rec.fields.push_back(std::move(field));
        const bool blank = rec.fields.size() == 1 && rec.fields[0].empty();
        if (!blank) records.push_back(std::move(rec));
    }
    return records;
}

std::optional<double> ParseDouble(const std::string& text) {
    double v = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc{} || end != last || text.empty()) return std::nullopt;
    return v;
}

template <typename Int>
std::optional<Int> ParseInteger(std::string_view text) {
    Int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v;
}

constexpr std::array<std::string_view, 22> kColumns{
    "time", "mode", "position",     "name",    "col0",      "col1",   "col2", "col3",
    "col4", "col5", "col6",         "col7",    "col8",      "col9",   "Rs",   "Xs",
    "Rp",   "Xp",   "frequency_hz", "primary", "secondary", "verdict"};

}  // namespace

std::optional<TLocalTime> ParseIsoTime(std::string_view s) {
    // 2026-12-10T14:03:05[.123](+01:00|-05:30|Z)
    auto number = [&](std::size_t at, std::size_t width) -> std::optional<int> {
        if (at + width > s.size()) return std::nullopt;
        for (std::size_t i = at; i < at + width; ++i)
            if (s[i] < '0' || s[i] > '9') return std::nullopt;
        return ParseInteger<int>(s.substr(at, width));
    };
    auto sep = [&](std::size_t at, char c) { return at < s.size() && s[at] == c; };
    TLocalTime t;
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !sep(4, '-') || !sep(7, '-') ||
        !sep(10, 'T') || !sep(13, ':') || !sep(16, ':'))
        return std::nullopt;
    t.year = *year;
    t.month = *month;
    t.day = *day;
    t.hour = *hour;
    t.minute = *minute;
    t.second = *second;
    std::size_t at = 19;
    if (sep(at, '.')) {
        const auto ms = number(at + 1, 3);
        if (!ms) return std::nullopt;
        t.millisecond = *ms;
        at += 4;
    }
    if (sep(at, 'Z') && at + 1 == s.size()) {
        t.utcOffsetMinutes = 0;
    } else if ((sep(at, '+') || sep(at, '-')) && at + 6 == s.size() && sep(at + 3, ':')) {
        const auto oh = number(at + 1, 2), om = number(at + 4, 2);
        if (!oh || !om || *om > 59 || *oh > 23) return std::nullopt;
        t.utcOffsetMinutes = (s[at] == '-' ? -1 : 1) * (*oh * 60 + *om);
    } else {
        return std::nullopt;
    }
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
        t.second > 60)
        return std::nullopt;
    return t;
}

namespace {

void ReadRecords(const std::vector<TRecord>& records, TJournalContents& out) {
    if (records.empty()) return;

    // Columns by name, so extra or reordered columns do no harm.
    const TRecord& header = records.front();
    std::map<std::string_view, std::size_t> index;
    for (std::size_t i = 0; i < header.fields.size(); ++i) index.emplace(header.fields[i], i);
    std::array<std::size_t, kColumns.size()> at{};
    std::vector<TJournalProblem> missing;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        auto it = index.find(kColumns[c]);
        if (it == index.end())
            missing.push_back(
                {header.line, TJournalProblem::TKind::MissingColumn, std::string(kColumns[c])});
        else
            at[c] = it->second;
    }
    if (missing.size() == kColumns.size()) {
        out.problems.push_back({header.line, TJournalProblem::TKind::NotAHeader, ""});
        return;
    }
    if (!missing.empty()) {
        out.problems.insert(out.problems.end(), missing.begin(), missing.end());
        return;
    }

    for (std::size_t r = 1; r < records.size(); ++r) {
        const TRecord& rec = records[r];
        auto problem = [&](TJournalProblem::TKind kind, std::string detail = {}) {
            out.problems.push_back({rec.line, kind, std::move(detail)});
        };
        if (rec.fields.size() != header.fields.size()) {
            problem(TJournalProblem::TKind::FieldCount);
            continue;
        }
        bool utf8 = true;
        for (const std::string& f : rec.fields) utf8 = utf8 && IsValidUtf8(f);
        if (!utf8) {
            problem(TJournalProblem::TKind::NotUtf8);
            continue;
        }
        auto field = [&](std::size_t c) -> const std::string& { return rec.fields[at[c]]; };
        std::optional<std::string_view> bad;
        TJournalRow row;
        if (auto t = ParseIsoTime(field(0)))
            row.time = *t;
        else
            bad = kColumns[0];
        if (field(1) == "single")
            row.mode = TLogMode::Single;
        else if (field(1) == "multi")
            row.mode = TLogMode::Multi;
        else if (!bad)
            bad = kColumns[1];
        if (auto p = ParseInteger<long>(field(2)))
            row.position = *p;
        else if (!bad)
            bad = kColumns[2];
        row.name = field(3);
        for (std::size_t c = 0; c < kLogColumns; ++c) row.cells[c] = field(4 + c);
        double* numbers[] = {&row.Rs, &row.Xs, &row.Rp, &row.Xp, &row.frequencyHz};
        for (std::size_t k = 0; k < 5; ++k) {
            if (auto v = ParseDouble(field(14 + k)))
                *numbers[k] = *v;
            else if (!bad)
                bad = kColumns[14 + k];
        }
        std::optional<double>* optionals[] = {&row.primary, &row.secondary};
        for (std::size_t k = 0; k < 2; ++k) {
            const std::string& text = field(19 + k);
            if (text.empty()) continue;
            if (auto v = ParseDouble(text))
                *optionals[k] = *v;
            else if (!bad)
                bad = kColumns[19 + k];
        }
        if (auto v = ParseInteger<std::int32_t>(field(21)))
            row.verdict = *v;
        else if (!bad)
            bad = kColumns[21];
        if (bad) {
            problem(TJournalProblem::TKind::BadValue, std::string(*bad));
            continue;
        }
        out.rows.push_back(std::move(row));
    }
}

}  // namespace

TJournalContents ReadJournal(std::string_view bytes) {
    TJournalContents out;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
    std::optional<TJournalProblem> incomplete;
    ReadRecords(SplitRecords(bytes, incomplete), out);
    if (incomplete) out.problems.push_back(*incomplete);
    return out;
}

TJournalContents ReadJournalFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        TJournalContents out;
        out.problems.push_back({0, TJournalProblem::TKind::CannotRead, PathText(path)});
        return out;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ReadJournal(bytes);
}

std::string JournalProblemText(const TJournalProblem& p, const i18n::TLexicons& lexicons) {
    using namespace i18n::logtext;
    using K = TJournalProblem::TKind;
    const auto& d = lexicons.Dlog;
    std::string what;
    switch (p.kind) {
        case K::CannotRead:
            return d.GetItem(CannotRead) + p.detail;
        case K::NotAHeader:
            what = d.GetItem(NotAHeader);
            break;
        case K::MissingColumn:
            what = d.GetItem(MissingColumn) + p.detail;
            break;
        case K::FieldCount:
            what = d.GetItem(FieldCount);
            break;
        case K::BadValue:
            what = d.GetItem(BadValue) + p.detail;
            break;
        case K::NotUtf8:
            what = d.GetItem(NotUtf8);
            break;
        case K::IncompleteLastLine:
            what = d.GetItem(IncompleteLastLine);
            break;
    }
    return d.GetItem(Line) + std::to_string(p.line) + ": " + what;
}

}  // namespace logcore
