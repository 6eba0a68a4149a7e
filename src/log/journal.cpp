// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/journal.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <system_error>

#include "log/journal_reader.h"

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
int OpenForReading(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
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
int OpenForReading(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
    f.reserve(23);
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
    f.push_back(row.bin ? std::to_string(*row.bin) : "");
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

template <typename Int>
std::optional<Int> ParseInteger(std::string_view text) {
    Int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v;
}

TJournalContents ReadAll(TJournalReader& reader) {
    TJournalContents out;
    for (;;) {
        switch (reader.Next()) {
            case TJournalReader::TStep::Row:
                out.rows.push_back(reader.Row().ToRow());
                break;
            case TJournalReader::TStep::Problem:
                out.problems.push_back(reader.Problem());
                break;
            case TJournalReader::TStep::End:
                return out;
        }
    }
}

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

TJournalContents ReadJournal(std::string_view bytes) {
    TJournalReader reader(MemorySource(bytes));
    return ReadAll(reader);
}

TJournalContents ReadJournalFile(const std::filesystem::path& path) {
    const int fd = OpenForReading(path);
    if (fd < 0) {
        TJournalContents out;
        out.problems.push_back({0, TJournalProblem::TKind::CannotRead, PathText(path)});
        return out;
    }
    TJournalReader reader(FileSource(fd));
    TJournalContents out = ReadAll(reader);
    CloseFile(fd);
    return out;
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
        case K::Empty:
            return lexicons.Djournal.GetItem(i18n::journaltext::Empty);
        case K::NoLineBreak:
            return lexicons.Djournal.GetItem(i18n::journaltext::NoLineBreak);
        case K::TooLong:
            what = lexicons.Djournal.GetItem(i18n::journaltext::TooLong);
            break;
    }
    return d.GetItem(Line) + std::to_string(p.line) + ": " + what;
}

}  // namespace logcore
