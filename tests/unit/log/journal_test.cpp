// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/journal.h"
#include "log/bins.h"
#include "log/journal_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>

#include "support/english.h"

namespace logcore {
namespace {

namespace fs = std::filesystem;
using K = TJournalProblem::TKind;

// A fresh folder per test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("rlc-journal-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                 std::to_string(std::random_device{}()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::string FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const TLocalTime kTime{2026, 12, 10, 14, 3, 5, 123, 60};

TJournalRow SingleRow(long position) {
    TJournalRow r;
    r.time = kTime;
    r.time.second = static_cast<int>(position % 60);
    r.position = position;
    r.cells = {std::to_string(position),
               "10.12.26 14:03:05",
               "L  15,915 мГн",
               "D 1,0000",
               "S",
               "1кГц",
               "1.0Вскз",
               "+",
               "2,00",
               ""};
    r.Rs = 100;
    r.Xs = 100.000001;
    r.Rp = 200.00000002;
    r.Xp = 0.1 + 0.2;
    r.frequencyHz = 1000;
    r.primary = 0.015915494309189534;
    r.verdict = 1;
    return r;
}

TJournalRow MultiRow() {
    TJournalRow r = SingleRow(3);
    r.mode = TLogMode::Multi;
    r.name = "Резистор; \"R1\"\r\nвторая строка";
    r.cells[1] = r.name;
    r.cells[7] = "-";
    r.primary.reset();
    r.secondary = 1e-300;
    r.Xs = std::numeric_limits<double>::infinity();
    r.verdict = 20;
    return r;
}

struct FieldCase {
    const char* name;
    const char* text;
    const char* field;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvQuoting : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CsvQuoting, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField(GetParam().text), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Fields, CsvQuoting,
                         ::testing::Values(FieldCase{"Plain", "12,35", "12,35"},
                                           FieldCase{"Empty", "", ""},
                                           FieldCase{"Cyrillic", "Позиция", "Позиция"},
                                           FieldCase{"Separator", "a;b", "\"a;b\""},
                                           FieldCase{"Quote", "5\" part", "\"5\"\" part\""},
                                           FieldCase{"LineFeed", "a\nb", "\"a\nb\""},
                                           FieldCase{"CarriageReturn", "a\rb", "\"a\rb\""},
                                           FieldCase{"CommaNeedsNoQuotes", "a,b", "a,b"}),
                         [](const ::testing::TestParamInfo<FieldCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(JournalLine, ColumnsInOrder) {
    TJournalRow r = SingleRow(7);
    r.cells = {"7", "t", "c2", "c3", "S", "A", "lvl", "+", "1,00", ""};
    r.Rs = 1.5;
    r.Xs = 2;
    r.Rp = std::nan("");
    r.Xp = -std::numeric_limits<double>::infinity();
    r.frequencyHz = 120;
    r.primary = 0.1;
    r.secondary.reset();
    r.verdict = 3;
    EXPECT_EQ(JournalLine(r),
              "2026-12-10T14:03:07.123+01:00;single;7;;7;t;c2;c3;S;A;lvl;+;1,00;;1.5;2;nan;-inf;"
              "120;0.1;;3;\r\n");
    r.bin = 10;
    EXPECT_TRUE(JournalLine(r).ends_with(";3;10\r\n")) << JournalLine(r);
}

TEST(JournalLine, RowFromAFrame) {
    protocol::TMeterState st;
    st.Rs = 1;
    st.Xs = 15128.8;
    st.Rp = 2.3e8;
    st.Xp = 15128.9;
    st.FrequencyHz = 1000;
    st.ToleranceVerdict = 3;
    protocol::TMeterSettings set;
    set.Series() = 1;
    set.PrimIndex() = 2;  // C
    set.SecIndex() = 3;   // D
    const TJournalRow r = MakeJournalRow(kTime, TLogMode::Multi, 4, "C1", {"4", "C1"}, st, set);
    EXPECT_EQ(r.name, "C1");
    EXPECT_EQ(r.cells[1], "C1");
    EXPECT_EQ(r.Rp, 2.3e8);
    EXPECT_EQ(r.frequencyHz, 1000);
    ASSERT_TRUE(r.primary && r.secondary);
    EXPECT_NEAR(*r.primary, 1.052e-8, 1e-11);
    EXPECT_NEAR(*r.secondary, 1 / 15128.8, 1e-12);
    EXPECT_EQ(r.verdict, 3);
}

TEST(JournalWriter, WritesAFileThatReadsBack) {
    TempFolder dir;
    TJournalWriter writer(dir.path() / "journal");
    const std::vector<TJournalRow> rows{SingleRow(1), SingleRow(2), MultiRow()};
    for (const TJournalRow& r : rows) EXPECT_FALSE(writer.Append(r));

    EXPECT_EQ(writer.CurrentFile(), dir.path() / "journal" / "2026-12-10_14-03-01.csv");
    const std::string bytes = FileBytes(writer.CurrentFile());
    const std::string head = std::string(kUtf8Bom) + std::string(kJournalHeader) + "\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    const TJournalContents back = ReadJournalFile(writer.CurrentFile());
    EXPECT_TRUE(back.problems.empty());
    EXPECT_EQ(back.rows, rows);
}

TEST(JournalWriter, NotANumberReadsBack) {
    TempFolder dir;
    TJournalWriter writer(dir.path());
    TJournalRow r = SingleRow(1);
    r.Rs = std::numeric_limits<double>::quiet_NaN();
    ASSERT_FALSE(writer.Append(r));
    const TJournalContents back = ReadJournalFile(writer.CurrentFile());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_TRUE(std::isnan(back.rows[0].Rs));
}

TEST(JournalWriter, EachLogGetsItsOwnFile) {
    TempFolder dir;
    TJournalWriter writer(dir.path());
    TJournalRow r = SingleRow(0);
    ASSERT_FALSE(writer.Append(r));
    const fs::path first = writer.CurrentFile();
    writer.StartNewLog();
    EXPECT_TRUE(writer.CurrentFile().empty());
    ASSERT_FALSE(writer.Append(r));  // same second: the name is taken
    const fs::path second = writer.CurrentFile();
    EXPECT_EQ(first.filename(), "2026-12-10_14-03-00.csv");
    EXPECT_EQ(second.filename(), "2026-12-10_14-03-00_2.csv");
    EXPECT_EQ(ReadJournalFile(first).rows.size(), 1u);
    EXPECT_EQ(ReadJournalFile(second).rows.size(), 1u);

    // A second program run never appends to an older file.
    TJournalWriter other(dir.path());
    ASSERT_FALSE(other.Append(r));
    EXPECT_EQ(other.CurrentFile().filename(), "2026-12-10_14-03-00_3.csv");
}

TEST(JournalWriter, UnwritableFolderIsReportedOnce) {
    TempFolder dir;
    const fs::path blocker = dir.path() / "journal";
    std::ofstream(blocker) << "a file where the folder should be";
    TJournalWriter writer(blocker / "sub");

    const auto failure = writer.Append(SingleRow(1));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, TJournalFailure::TKind::Folder);
    EXPECT_TRUE(writer.Failing());
    EXPECT_FALSE(writer.Append(SingleRow(2))) << "reported once";

    i18n::TLexicons ru;
    const std::string text = JournalFailureText(*failure, ru);
    EXPECT_EQ(
        text.rfind(
            "Журнал не записывается: не создаётся папка " + (blocker / "sub").string() + " (", 0),
        0u)
        << text;
    i18n::TLexicons en;
    en.SetLanguage(testing_support::English());
    EXPECT_EQ(
        JournalFailureText(*failure, en).rfind("Journal not written: cannot create the folder", 0),
        0u);

    // Once the way is free the next row gets through.
    fs::remove(blocker);
    EXPECT_FALSE(writer.Append(SingleRow(3)));
    EXPECT_FALSE(writer.Failing());
    const TJournalContents back = ReadJournalFile(writer.CurrentFile());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0].position, 3);
}

#ifndef _WIN32
TEST(JournalWriter, FileDeletedWhileOpenStartsANewFileAndSaysSo) {
    TempFolder dir;
    TJournalWriter writer(dir.path());
    ASSERT_FALSE(writer.Append(SingleRow(1)));
    const fs::path first = writer.CurrentFile();
    fs::remove(first);

    // Before, this row went into the deleted file and nobody was told.
    const auto notice = writer.Append(SingleRow(2));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->kind, TJournalFailure::TKind::Removed);
    EXPECT_FALSE(writer.Failing()) << "the row was written";
    const fs::path second = writer.CurrentFile();
    EXPECT_EQ(notice->path, second.string());
    EXPECT_NE(second, first);
    const TJournalContents back = ReadJournalFile(second);
    EXPECT_TRUE(back.problems.empty());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0].position, 2);
    EXPECT_FALSE(writer.Append(SingleRow(3))) << "said once";
    EXPECT_EQ(ReadJournalFile(second).rows.size(), 2u);

    i18n::TLexicons en;
    en.SetLanguage(testing_support::English());
    EXPECT_EQ(JournalFailureText(*notice, en),
              "The journal file was deleted; rows now go to a new file " + second.string());
}
#endif

TEST(JournalWriter, UncreatableFileIsReported) {
    TempFolder dir;
    TJournalWriter writer(dir.path());
    // A folder in place of every name the writer may choose.
    fs::create_directories(dir.path() / "2026-12-10_14-03-01.csv");
    for (int n = 2; n <= 1000; ++n)
        fs::create_directories(dir.path() / ("2026-12-10_14-03-01_" + std::to_string(n) + ".csv"));
    const auto failure = writer.Append(SingleRow(1));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, TJournalFailure::TKind::Create);
}

std::string Header() {
    return std::string(kJournalHeader) + "\r\n";
}

std::string Line(const TJournalRow& r) {
    return JournalLine(r);
}

TEST(JournalReader, TornLastLineIsIgnored) {
    const std::string whole = Line(SingleRow(1));
    const std::string torn = Line(SingleRow(2)).substr(0, 30);
    const TJournalContents c = ReadJournal(std::string(kUtf8Bom) + Header() + whole + torn);
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0], SingleRow(1));
    EXPECT_EQ(c.problems, (std::vector<TJournalProblem>{{3, K::IncompleteLastLine, ""}}));
}

TEST(JournalReader, UnclosedQuoteAtTheEndIsIncomplete) {
    const TJournalContents c = ReadJournal(Header() + Line(SingleRow(1)) + "\"open\r\n");
    EXPECT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.problems, (std::vector<TJournalProblem>{{3, K::IncompleteLastLine, ""}}));
}

TEST(JournalReader, NoByteOrderMarkExtraAndReorderedColumns) {
    const std::string header =
        "verdict;extra;secondary;primary;frequency_hz;Xp;Rp;Xs;Rs;col9;col8;col7;col6;col5;col4;"
        "col3;col2;col1;col0;name;position;mode;time\n";
    const std::string line =
        "0;whatever;;5;1000;2;3;4;1;;;-;lvl;1кГц;P;c3;c2;c1;9;;9;single;"
        "2026-12-10T14:03:05Z\n";
    const TJournalContents c = ReadJournal(header + line);
    EXPECT_TRUE(c.problems.empty());
    ASSERT_EQ(c.rows.size(), 1u);
    const TJournalRow& r = c.rows[0];
    EXPECT_EQ(r.position, 9);
    EXPECT_EQ(r.cells[4], "P");
    EXPECT_EQ(r.Rs, 1);
    EXPECT_EQ(r.Xp, 2);
    EXPECT_EQ(r.primary, 5.0);
    EXPECT_FALSE(r.secondary);
    EXPECT_EQ(r.time.utcOffsetMinutes, 0);
}

struct GarbageCase {
    const char* name;
    std::string line;  // the third line, after the header and one good row
    std::vector<TJournalProblem> problems;
};

void PrintTo(const GarbageCase& c, std::ostream* os) {
    *os << c.name;
}

class JournalGarbage : public ::testing::TestWithParam<GarbageCase> {};

// The good rows around a bad line are all read; the bad line is named.
TEST_P(JournalGarbage, IsReportedAndSkipped) {
    const GarbageCase& c = GetParam();
    const TJournalContents got =
        ReadJournal(Header() + Line(SingleRow(1)) + c.line + Line(SingleRow(2)));
    ASSERT_EQ(got.rows.size(), 2u);
    EXPECT_EQ(got.rows[1], SingleRow(2));
    EXPECT_EQ(got.problems, c.problems);
}

std::string Replaced(std::string line, const std::string& from, const std::string& to) {
    return line.replace(line.find(from), from.size(), to);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JournalGarbage,
    ::testing::Values(
        GarbageCase{"TooFewFields", "a;b;c\r\n", {{3, K::FieldCount, ""}}},
        GarbageCase{"BinaryNoise",
                    std::string("\x01\x02\xff;\x00\x7f", 6) + "\r\n",
                    {{3, K::FieldCount, ""}}},
        GarbageCase{"BadTime",
                    Replaced(Line(SingleRow(1)), "2026-12-10T", "2026-13-10T"),
                    {{3, K::BadValue, "time"}}},
        GarbageCase{"BadMode",
                    Replaced(Line(SingleRow(1)), ";single;", ";double;"),
                    {{3, K::BadValue, "mode"}}},
        GarbageCase{
            "BadNumber", Replaced(Line(SingleRow(1)), ";100;", ";1e;"), {{3, K::BadValue, "Rs"}}},
        GarbageCase{"CommaNumber",
                    Replaced(Line(SingleRow(1)), ";1000;", ";1000,5;"),
                    {{3, K::BadValue, "frequency_hz"}}},
        GarbageCase{"BadVerdict",
                    Replaced(Line(SingleRow(1)), ";1;\r\n", ";x;\r\n"),
                    {{3, K::BadValue, "verdict"}}},
        GarbageCase{"BinPastSecondaryOut",
                    Replaced(Line(SingleRow(1)), ";1;\r\n", ";1;11\r\n"),
                    {{3, K::BadValue, "bin"}}},
        GarbageCase{"BinNotANumber",
                    Replaced(Line(SingleRow(1)), ";1;\r\n", ";1;-\r\n"),
                    {{3, K::BadValue, "bin"}}},
        GarbageCase{
            "NotUtf8", Replaced(Line(SingleRow(1)), "S", "\xC0\xC1"), {{3, K::NotUtf8, ""}}},
        GarbageCase{"QuotedLineBreaksCountAsLines",
                    "\"multi\nline\";x\r\n" + Line(SingleRow(5)).substr(0, 10) + "\r\n",
                    {{3, K::FieldCount, ""}, {5, K::FieldCount, ""}}},
        GarbageCase{"BlankLineIsSkipped", "\r\n", {}}),
    [](const ::testing::TestParamInfo<GarbageCase>& info) { return std::string(info.param.name); });

TEST(JournalReader, HeaderProblems) {
    EXPECT_EQ(ReadJournal("hello;world\r\n" + Line(SingleRow(1))).problems,
              (std::vector<TJournalProblem>{{1, K::NotAHeader, ""}}));
    const std::string noVerdict = Replaced(Header(), ";verdict", "");
    const TJournalContents c = ReadJournal(noVerdict + Line(SingleRow(1)));
    EXPECT_TRUE(c.rows.empty());
    EXPECT_EQ(c.problems, (std::vector<TJournalProblem>{{1, K::MissingColumn, "verdict"}}));
}

// What is no journal at all says so, and nothing of it is read as rows.
TEST(JournalReader, NoJournalAtAll) {
    struct Case {
        std::string bytes;
        TJournalProblem problem;
    };
    const std::string noBreak(3 << 20, 'x');
    const std::string longHeader = std::string(kMaxJournalLine + 10, 'y') + "\r\n" + Line(SingleRow(1));
    for (const Case& c : std::vector<Case>{
             {"", {0, K::Empty, ""}},
             {std::string(kUtf8Bom), {0, K::Empty, ""}},
             {"\r\n\r\n", {0, K::Empty, ""}},
             {Header().substr(0, 40), {0, K::NoLineBreak, ""}},
             {noBreak, {0, K::NoLineBreak, ""}},
             {longHeader, {1, K::NotAHeader, ""}},
             {std::string("\x89PNG\r\n\x1a\n\0\0", 10), {1, K::NotAHeader, ""}}}) {
        const TJournalContents got = ReadJournal(c.bytes);
        EXPECT_TRUE(got.rows.empty());
        ASSERT_EQ(got.problems.size(), 1u) << c.bytes.substr(0, 20);
        EXPECT_EQ(got.problems[0], c.problem) << c.bytes.substr(0, 20);
        EXPECT_TRUE(NotAJournal(got.problems[0]));
    }
}

// A line too long to be a journal's is skipped as one line; the rows around
// it are read.
TEST(JournalReader, OverlongLineIsSkipped) {
    const std::string bytes = Header() + Line(SingleRow(1)) + std::string(kMaxJournalLine + 5, ';') +
                              "\r\n" + Line(SingleRow(2));
    const TJournalContents got = ReadJournal(bytes);
    ASSERT_EQ(got.rows.size(), 2u);
    EXPECT_EQ(got.rows[1], SingleRow(2));
    EXPECT_EQ(got.problems, (std::vector<TJournalProblem>{{3, K::TooLong, ""}}));
}

// Journals written before rows had a bin end at the verdict; they read as rows
// without one, and a bin written today reads back.
TEST(JournalReader, BinColumnIsReadWhereThereIsOne) {
    TJournalRow sorted = SingleRow(2);
    sorted.bin = 3;
    TJournalRow out = SingleRow(4);
    out.bin = kBinOut;
    const TJournalContents now =
        ReadJournal(Header() + Line(SingleRow(1)) + Line(sorted) + Line(out));
    EXPECT_TRUE(now.problems.empty());
    ASSERT_EQ(now.rows.size(), 3u);
    EXPECT_EQ(now.rows[0].bin, std::nullopt);
    EXPECT_EQ(now.rows[1], sorted);
    EXPECT_EQ(now.rows[2].bin, kBinOut);

    const auto withoutBin = [](std::string line) {
        return Replaced(line, ";\r\n", "\r\n");  // the last field, empty in SingleRow
    };
    const std::string older = Replaced(Header(), ";bin", "");
    const TJournalContents before =
        ReadJournal(older + withoutBin(Line(SingleRow(1))) + withoutBin(Line(SingleRow(2))));
    EXPECT_TRUE(before.problems.empty());
    ASSERT_EQ(before.rows.size(), 2u);
    EXPECT_EQ(before.rows[1], SingleRow(2));
    EXPECT_EQ(before.rows[1].bin, std::nullopt);
}

// Journals written before the grid's cells had names call them col0..col9.
TEST(JournalReader, OlderColumnNamesAreRead) {
    std::string older = Header();
    const char* names[] = {"grid_position", "grid_time", "grid_primary_deviation",
                           "grid_secondary_deviation", "grid_primary", "grid_secondary",
                           "grid_circuit", "grid_frequency", "grid_level", "grid_reject"};
    const char* cols[] = {"col0", "col1", "col8", "col9", "col2", "col3", "col4", "col5", "col6", "col7"};
    for (std::size_t i = 0; i < 10; ++i) older = Replaced(older, names[i], cols[i]);
    ASSERT_EQ(older.find("grid_"), std::string::npos);
    const TJournalContents got = ReadJournal(older + Line(SingleRow(1)) + Line(MultiRow()));
    EXPECT_TRUE(got.problems.empty());
    ASSERT_EQ(got.rows.size(), 2u);
    EXPECT_EQ(got.rows[0], SingleRow(1));
    EXPECT_EQ(got.rows[1], MultiRow());
}

// Rows read one by one over a small source give the rows of the whole text,
// however the bytes come in; a row can be read again at its offset.
TEST(JournalReader, ChunkedSourceAndRereadingAtAnOffset) {
    std::string bytes = std::string(kUtf8Bom) + Header();
    for (int i = 1; i <= 3000; ++i) bytes += Line(i % 3 ? SingleRow(i) : MultiRow());
    const TJournalContents whole = ReadJournal(bytes);
    ASSERT_EQ(whole.rows.size(), 3000u);
    // A source that hands out a few bytes at a time splits lines and quotes anywhere.
    TJournalReader reader([&](char* into, std::size_t size, long long offset) -> long long {
        const std::size_t at = static_cast<std::size_t>(offset);
        if (at >= bytes.size()) return 0;
        const std::size_t n = std::min({size, bytes.size() - at, std::size_t{7}});
        std::memcpy(into, bytes.data() + at, n);
        return static_cast<long long>(n);
    });
    std::vector<long long> offsets;
    std::size_t n = 0;
    for (TJournalReader::TStep step; (step = reader.Next()) != TJournalReader::TStep::End;) {
        ASSERT_EQ(step, TJournalReader::TStep::Row) << reader.Problem().line;
        ASSERT_LT(n, whole.rows.size());
        EXPECT_EQ(reader.Row().ToRow(), whole.rows[n++]);
        offsets.push_back(reader.Row().offset);
    }
    EXPECT_EQ(n, whole.rows.size());
    for (std::size_t i : {std::size_t{2999}, std::size_t{2}, std::size_t{0}, std::size_t{1500}}) {
        ASSERT_TRUE(reader.ReadRowAt(offsets[i], 0));
        EXPECT_EQ(reader.Row().ToRow(), whole.rows[i]);
    }
}

TEST(JournalReader, ProblemTexts) {
    i18n::TLexicons en;
    en.SetLanguage(testing_support::English());
    EXPECT_EQ(JournalProblemText({7, K::BadValue, "Rs"}, en), "line 7: bad value in column Rs");
    EXPECT_EQ(JournalProblemText({3, K::IncompleteLastLine, ""}, en),
              "line 3: incomplete last line ignored");
    EXPECT_EQ(JournalProblemText({0, K::CannotRead, "/x.csv"}, en), "cannot read the file: /x.csv");
    i18n::TLexicons ru;
    EXPECT_EQ(JournalProblemText({2, K::FieldCount, ""}, ru), "строка 2: неверное число полей");
}

TEST(JournalReader, MissingFile) {
    const TJournalContents c = ReadJournalFile("/nonexistent/journal.csv");
    EXPECT_EQ(c.problems,
              (std::vector<TJournalProblem>{{0, K::CannotRead, "/nonexistent/journal.csv"}}));
}

// Any bytes, and any cut of a real journal, read without a crash.
TEST(JournalReader, SurvivesArbitraryBytes) {
    const std::string real =
        std::string(kUtf8Bom) + Header() + Line(SingleRow(1)) + Line(MultiRow());
    for (std::size_t cut = 0; cut <= real.size(); ++cut) {
        const TJournalContents c = ReadJournal(std::string_view(real).substr(0, cut));
        EXPECT_LE(c.rows.size(), 2u);
    }
    std::mt19937 rng(8);
    const std::string alphabet = std::string(";\"\r\n0123456789.-+eE,aT:Z") + "\xD0\x9F\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = round % 2 ? Header() : "";
        const int length = static_cast<int>(rng() % 200);
        for (int i = 0; i < length; ++i) bytes += alphabet[rng() % alphabet.size()];
        ReadJournal(bytes);
    }
}

TEST(IsoTime, ReadsWhatIsWritten) {
    for (const TLocalTime& t : {kTime, TLocalTime{1999, 1, 2, 3, 4, 5, 6, -330},
                                TLocalTime{2030, 6, 30, 23, 59, 59, 999, 0}})
        EXPECT_EQ(ParseIsoTime(IsoTimeText(t)), t);
    EXPECT_FALSE(ParseIsoTime("2026-12-10T14:03:05.123+01:0"));
    EXPECT_FALSE(ParseIsoTime("2026-12-10 14:03:05Z"));
    EXPECT_FALSE(ParseIsoTime(""));
    EXPECT_FALSE(ParseIsoTime("2026-12-10T24:03:05Z"));
}

}  // namespace
}  // namespace logcore
