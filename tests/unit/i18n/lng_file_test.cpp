// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lng_file.h"

#include <gtest/gtest.h>

#include "i18n/lexicon.h"
#include "settings/codepage.h"

namespace i18n {
namespace {

// Lines joined with CR LF, as UTF-8 without a mark.
std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (std::string_view l : lines) out.append(l).append("\r\n");
    return out;
}

// UTF-8 text (code points below U+10000) as UTF-16 with a byte-order mark.
std::string Utf16(std::string_view utf8, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = c;
        int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) code = c & (extra == 2 ? 0x0F : 0x1F);
        for (int k = 1; k <= extra; ++k) code = code << 6 | (utf8[i + k] & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        const char hi = static_cast<char>(code >> 8), lo = static_cast<char>(code & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

struct HeaderCase {
    const char* name;
    std::string file;
    bool isLanguage;
    const char* language;
    const char* code;
};

class HeaderReading : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderReading, NameAndCode) {
    const HeaderCase& c = GetParam();
    const auto header = ReadHeader(c.file);
    ASSERT_EQ(header.has_value(), c.isLanguage);
    if (!header) return;
    EXPECT_EQ(header->name, c.language);
    EXPECT_EQ(header->code, c.code);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderReading,
    ::testing::Values(
        HeaderCase{"Plain", Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"English\"\t%CODE=en;"}),
                   true, "English", "en"},
        HeaderCase{"SignatureWithBlanks",
                   Lines({"  [LANGUAGE_FILE] \t", "0\t%LANGUAGE_NAME=\"English\"\t%CODE=en;"}),
                   true, "English", "en"},
        HeaderCase{"CodeWithRegionAndCapitals",
                   Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"English\"\t%CODE= EN-us ;"}),
                   true, "English", "en"},
        HeaderCase{"CodeXxIsNoCode",
                   Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"Test\"\t%CODE=xx;"}), true,
                   "Test", ""},
        HeaderCase{"CodeWithADigitIsNoCode",
                   Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"Test\"\t%CODE=e1;"}), true,
                   "Test", ""},
        HeaderCase{"CodeWithoutSemicolonIsEmpty",
                   Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"English\"\t%CODE=en"}), true,
                   "English", ""},
        HeaderCase{
            "LinesBeforeTheHeaderIgnored",
            Lines({"[LANGUAGE_FILE]", "x\tnoise", "0\t%LANGUAGE_NAME=\"Deutsch\"\t%CODE=de;"}),
            true, "Deutsch", "de"},
        HeaderCase{"EmptyNameLooksFurther",
                   Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"\"\t%CODE=xx;",
                          "0\t%LANGUAGE_NAME=\"Polski\"\t%CODE=pl;"}),
                   true, "Polski", "pl"},
        HeaderCase{"NoSignature", Lines({"LANGUAGE_FILE", "0\t%LANGUAGE_NAME=\"English\""}), false,
                   "", ""},
        HeaderCase{"OnlyEmptyName", Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"\""}), false, "",
                   ""},
        HeaderCase{"EmptyFile", "", false, "", ""}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

const std::string kSample = Lines({
    "[LANGUAGE_FILE]",
    "0\t%LANGUAGE_NAME=\"Русский тест\"\t%CODE=rt;\t%SUPERIOR_LANGUAGE=English;\t%FILEVER=1.8.0;",
    "1\t\"Подключить\"\t%COMPONENT=B2;\t%OWNER=Form1;",
    "3\t\"Мульти\"\t%COMPONENT=CBox10;\t%OWNER=Form1;\t%ITEM=1;\t%OLD",
    "1\t%NOTRANS\t%COMPONENT=SP1;\t%OWNER=Form1;",
    "0\t%LEXICON_STRINGS",
    "0\t%LEXICON_NAME=Form1.D1;",
    "0\t\"a\"b\"",
    "1\t\"Строка'#13#10'вторая\"",
    "0\t%LEXICON_NAME=Form1.Other;\t%LANGMAN",
    "0\t\"Сообщение\"",
    "0\t%SMART_STRINGS",
});

const std::string kSampleUtf8 = "\xEF\xBB\xBF" + kSample;

TEST(LanguageFileReading, SectionsDirectivesAndTexts) {
    const TReadResult r = ReadLanguageFile(kSampleUtf8);
    ASSERT_TRUE(r.isLanguageFile);
    EXPECT_TRUE(r.complete);
    EXPECT_TRUE(r.bad.empty());
    EXPECT_EQ(r.file.name, "Русский тест");
    EXPECT_EQ(r.file.code, "rt");
    EXPECT_EQ(r.file.superior, "English");
    ASSERT_EQ(r.file.properties.size(), 3u);
    EXPECT_EQ(r.file.properties[0], (TPropertyLine{{kCaption, "B2", "Form1", {}}, "Подключить"}));
    EXPECT_EQ(r.file.properties[1],
              (TPropertyLine{{kItems, "CBox10", "Form1", 1}, "Мульти", false, true}));
    EXPECT_EQ(r.file.properties[2], (TPropertyLine{{kCaption, "SP1", "Form1", {}}, "", true}));
    ASSERT_EQ(r.file.lexicons.size(), 2u);
    // First to last quote.
    EXPECT_EQ(r.file.lexicons[0].items[0], (std::pair<int, std::string>{0, "a\"b"}));
    // A stored line break comes back through the expansion.
    EXPECT_EQ(ExpandCharacterCodes(r.file.lexicons[0].items[1].second), "Строка\r\nвторая");
    EXPECT_TRUE(r.file.lexicons[1].langman);
}

TEST(LanguageFileReading, EveryEncodingGivesTheSameTables) {
    const TReadResult utf8 = ReadLanguageFile(kSampleUtf8);
    const TReadResult utf16le = ReadLanguageFile(Utf16(kSample, false));
    const TReadResult utf16be = ReadLanguageFile(Utf16(kSample, true));
    const TReadResult cp1251 = ReadLanguageFile(settings::Utf8ToCp1251(kSample));
    ASSERT_TRUE(utf8.complete);
    EXPECT_EQ(utf8.file.name, "Русский тест");
    EXPECT_EQ(utf16le.file, utf8.file);
    EXPECT_EQ(utf16be.file, utf8.file);
    EXPECT_EQ(cp1251.file, utf8.file);
}

struct BrokenUtf8Case {
    const char* name;
    std::string bytes;
    std::string text;
};

class BrokenUtf8 : public ::testing::TestWithParam<BrokenUtf8Case> {};

// A file marked UTF-8 that is not gives U+FFFD for each bad byte, so no
// malformed text reaches the window or a file written from it.
TEST_P(BrokenUtf8, BecomesReplacementCharacters) {
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF" + GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, BrokenUtf8,
    ::testing::Values(
        BrokenUtf8Case{"Valid", "a\xD0\x96\xF0\x9F\x98\x80", "a\xD0\x96\xF0\x9F\x98\x80"},
        BrokenUtf8Case{"StrayContinuation",
                       "a\x80"
                       "b",
                       "a\uFFFDb"},
        BrokenUtf8Case{"CutShort", "a\xD0", "a\uFFFD"},
        BrokenUtf8Case{"Overlong", "\xC0\xAF", "\uFFFD\uFFFD"},
        BrokenUtf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", "\uFFFD\uFFFD\uFFFD"},
        BrokenUtf8Case{"Surrogate", "\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
        BrokenUtf8Case{"PastU10FFFF", "\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const ::testing::TestParamInfo<BrokenUtf8Case>& info) { return info.param.name; });

TEST(LanguageFileReading, ControlCharactersInATextBecomeCodeRuns) {
    // A tab inside the quotes and a code 0 that is dropped.
    const std::string file = Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"T\"",
                                    "0\t%LEXICON_STRINGS", "0\t%LEXICON_NAME=Form1.D1;",
                                    std::string("0\t\"a\tb\0c\"", 9), "0\t%SMART_STRINGS"});
    const TReadResult r = ReadLanguageFile(file);
    ASSERT_EQ(r.file.lexicons.size(), 1u);
    EXPECT_EQ(r.file.lexicons[0].items[0].second, "a'#9'bc");
    EXPECT_EQ(ExpandCharacterCodes(r.file.lexicons[0].items[0].second), "a\tbc");
}

TEST(LanguageFileReading, FileCutOffKeepsWhatCameBefore) {
    // Cut inside the line that starts the second block.
    const std::string cut = kSample.substr(0, kSample.find("0\t%LEXICON_NAME=Form1.Other") + 5);
    const TReadResult r = ReadLanguageFile(cut);
    EXPECT_TRUE(r.isLanguageFile);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.file.properties.size(), 3u);
    ASSERT_EQ(r.file.lexicons.size(), 1u);
    EXPECT_EQ(r.file.lexicons[0].items.size(), 2u);

    // UTF-16 that ends inside a character.
    const std::string utf16 = Utf16(kSample, false);
    EXPECT_FALSE(ReadLanguageFile(utf16.substr(0, utf16.size() - 1)).complete);
}

// The closing mark is not needed: the file is read to its end. A file that
// stops inside a line, or before its lexicons begin, is cut off.
struct EndCase {
    const char* name;
    std::string file;
    bool complete;
    bool endMark;
    std::size_t items;  // lexicon items read
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Without(std::string text, std::string_view part) {
    return text.erase(text.find(part), part.size());
}

std::string CutAfter(const std::string& text, std::string_view part, std::size_t keep) {
    return text.substr(0, text.find(part) + keep);
}

class LanguageFileEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(LanguageFileEnd, CompleteUnlessCutOff) {
    const EndCase& c = GetParam();
    const TReadResult r = ReadLanguageFile(c.file);
    EXPECT_EQ(r.complete, c.complete);
    EXPECT_EQ(r.endMark, c.endMark);
    std::size_t items = 0;
    for (const TLexiconBlock& b : r.file.lexicons) items += b.items.size();
    EXPECT_EQ(items, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFileEnd,
    ::testing::Values(
        EndCase{"WithTheMark", kSample, true, true, 3},
        EndCase{"WithoutTheMark", Without(kSample, "0\t%SMART_STRINGS\r\n"), true, false, 3},
        EndCase{"WithoutTheMarkAsUtf16", Utf16(Without(kSample, "0\t%SMART_STRINGS\r\n"), false),
                true, false, 3},
        EndCase{"WithoutTheMarkOrTheLastLineEnd", Without(kSample, "\r\n0\t%SMART_STRINGS\r\n"),
                true, false, 3},
        EndCase{"CutAfterAWholeItemLine", CutAfter(kSample, "0\t\"Сообщение", 0), true, false, 2},
        EndCase{"CutInsideAnItem", CutAfter(kSample, "0\t\"Сообщение", 6), false, false, 2},
        EndCase{"CutInsideTheMark", CutAfter(kSample, "0\t%SMART_STRINGS", 8), false, false, 3},
        EndCase{"CutAmongTheControlLines", CutAfter(kSample, "0\t%LEXICON_STRINGS", 0), false,
                false, 0},
        EndCase{"Utf16EndingInsideACharacter",
                Utf16(kSample, false).substr(0, Utf16(kSample, false).size() - 1), false, true, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageFileReading, UnreadableLinesAreNamedWithTheirNumbers) {
    const std::string file = Lines({
        "[LANGUAGE_FILE]",
        "0\t%LANGUAGE_NAME=\"T\"",
        "x\t\"Текст\"\t%COMPONENT=B2;\t%OWNER=Form1;",       // 3: name not a number
        "1\t\"Текст\"\t%OWNER=Form1;",                       // 4: no component
        "1\tТекст\t%COMPONENT=B2;\t%OWNER=Form1;",           // 5: no quotes
        "3\t\"a\"\t%COMPONENT=C;\t%OWNER=Form1;\t%ITEM=x;",  // 6: item not a number
        "0\t%LEXICON_STRINGS",
        "0\t%LEXICON_NAME=Form1.D1;",
        "z\t\"Текст\"",  // 9
        "1\tТекст",      // 10
        "0\t%SMART_STRINGS",
    });
    const TReadResult r = ReadLanguageFile(file);
    std::vector<int> lines;
    for (const TBadLine& b : r.bad) lines.push_back(b.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 5, 6, 9, 10}));
    EXPECT_TRUE(r.complete);
}

TEST(LanguageFileReading, LexiconWithoutANameStopsTheReading) {
    const std::string file =
        Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"T\"", "0\t%LEXICON_STRINGS",
               "0\t%LEXICON_NAME=;", "0\t\"a\"", "0\t%SMART_STRINGS"});
    const TReadResult r = ReadLanguageFile(file);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.file.lexicons.empty());
}

TLanguageFile SampleFile(std::size_t flagBytes) {
    TLanguageFile f;
    f.name = "Test \"quoted\"";
    f.code = "te";
    f.superior = "English";
    f.properties = {{{kCaption, "B2", "Form1", {}}, "Connect", false, false},
                    {{kItems, "CBox10", "Form1", 1}, "Multi", false, true},
                    {{kHint, "SP1", "Form1", {}}, "", true, false},
                    {{kWindowTitle, "Form1", "Form1", {}}, "Line'#13#10'two", false, false}};
    f.lexicons = {{"Form1.D1", false, {{0, "Profile"}, {7, "te"}}},
                  {kEngineLexiconKey, true, {{0, "Ω μ"}}}};
    for (std::size_t i = 0; i < flagBytes; ++i) f.flag.push_back(static_cast<std::uint8_t>(i * 7));
    return f;
}

class LanguageFileRoundTrip : public ::testing::TestWithParam<std::size_t> {};

TEST_P(LanguageFileRoundTrip, WrittenFileReadsBackTheSame) {
    const TLanguageFile f = SampleFile(GetParam());
    for (bool utf8 : {false, true}) {
        const std::string bytes = WriteLanguageFile(f, utf8);
        EXPECT_EQ(bytes.substr(0, utf8 ? 3 : 2), utf8 ? "\xEF\xBB\xBF" : "\xFF\xFE");
        const TReadResult r = ReadLanguageFile(bytes);
        EXPECT_TRUE(r.complete);
        EXPECT_TRUE(r.bad.empty());
        EXPECT_EQ(r.file, f);
    }
}

INSTANTIATE_TEST_SUITE_P(FlagSizes, LanguageFileRoundTrip, ::testing::Values(0, 1, 50, 120),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             return "Flag" + std::to_string(info.param) + "Bytes";
                         });

TEST(LanguageFileWriting, Utf16LittleEndianWithCrLfAndEmptyItemsLeftOut) {
    TLanguageFile f;
    f.name = "English";
    f.code = "en";
    f.lexicons = {{"Form1.D2", false, {{0, ""}, {1, "Position"}}}};
    const std::string bytes = WriteLanguageFile(f);
    EXPECT_EQ(DecodeFileText(bytes),
              Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"English\"\t%CODE=en;\t%FILEVER=1.8.0;",
                     "0\t%LEXICON_STRINGS", "0\t%LEXICON_NAME=Form1.D2;", "1\t\"Position\"",
                     "0\t%SMART_STRINGS"}));
    EXPECT_EQ(bytes.substr(0, 6), std::string("\xFF\xFE[\0L\0", 6));
}

TEST(LanguageFileWriting, EngineBlockWithoutANameReadsBack) {
    // The reader takes "%LANGMAN" alone as the engine's block; writing it back
    // as "%LEXICON_NAME=;" made the file stop reading there.
    const TReadResult read =
        ReadLanguageFile(Lines({"[LANGUAGE_FILE]", "0\t%LANGUAGE_NAME=\"T\"", "0\t%LEXICON_STRINGS",
                                "0\t%LANGMAN", "1\t\"Language\"", "0\t%SMART_STRINGS"}));
    ASSERT_TRUE(read.complete);
    ASSERT_EQ(read.file.lexicons.size(), 1u);
    for (bool utf8 : {false, true}) {
        const TReadResult again = ReadLanguageFile(WriteLanguageFile(read.file, utf8));
        EXPECT_TRUE(again.complete);
        EXPECT_TRUE(again.bad.empty());
        EXPECT_EQ(again.file, read.file);
    }
}

TEST(LanguageFileWriting, ControlCharactersAreWrittenAsCodeRuns) {
    EXPECT_EQ(EscapeControlCharacters("A\r\nB\tC"), "A'#13#10'B'#9'C");
    EXPECT_EQ(ExpandCharacterCodes(EscapeControlCharacters("A\r\nB\tC")), "A\r\nB\tC");
    EXPECT_EQ(EscapeControlCharacters("plain 'quoted'"), "plain 'quoted'");
}

}  // namespace
}  // namespace i18n
