// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "settings/codepage.h"
#include "support/param_name.h"

namespace settings {
namespace {

// A complete file with the given fields; the path area is filled with 'x'.
Bytes MakeFile(std::int32_t length, std::string_view path, std::int32_t language,
               std::uint8_t autoConnect, std::uint8_t model) {
    Bytes f(kSettingsFileSize, 'x');
    const auto put32 = [&](std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, length);
    std::copy(path.begin(), path.end(), f.begin() + 4);
    put32(200, language);
    f[204] = autoConnect;
    f[205] = model;
    return f;
}

TEST(SettingsFileRead, CompleteFileGivesEveryField) {
    const TSettingsFile f = ReadSettingsFile(MakeFile(7, "C:\\a.hex1", 1, 1, 2));
    EXPECT_EQ(f.lastProfilePath, "C:\\a.he");  // the stored length decides, not the text
    EXPECT_EQ(f.languageIndex, 1);
    EXPECT_EQ(f.autoConnect, 1);
    EXPECT_EQ(f.modelByte, 2);
}

TEST(SettingsFileRead, PathEndsEarlyAtZeroByte) {
    Bytes file = MakeFile(10, "ab", 0, 0, 0);
    file[6] = 0;
    EXPECT_EQ(ReadSettingsFile(file).lastProfilePath, "ab");
}

TEST(SettingsFileRead, PathMayFillTheWholeField) {
    const std::string path(196, 'p');
    EXPECT_EQ(ReadSettingsFile(MakeFile(196, path, -1, 0, 3)).lastProfilePath, path);
}

class SettingsFileBadLength : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(SettingsFileBadLength, GivesNoPathButKeepsOtherFields) {
    const TSettingsFile f = ReadSettingsFile(MakeFile(GetParam(), "C:\\a.hex1", 1, 1, 3));
    EXPECT_EQ(f.lastProfilePath, "");
    EXPECT_EQ(f.languageIndex, 1);
    EXPECT_EQ(f.autoConnect, 1);
    EXPECT_EQ(f.modelByte, 3);
}

INSTANTIATE_TEST_SUITE_P(OutsideZeroTo196, SettingsFileBadLength,
                         ::testing::Values(-1, 197, 201, 206, 100000, INT32_MIN, INT32_MAX),
                         [](const auto& info) {
                             return "Length" + testing_support::NumberName(info.param);
                         });

// Each field reads as zero unless the file holds all of its bytes.
struct ShortFileCase {
    std::size_t size;
    const char* path;
    std::int32_t language;
    std::uint8_t autoConnect;
    std::uint8_t model;
};

class SettingsFileShort : public ::testing::TestWithParam<ShortFileCase> {};

TEST_P(SettingsFileShort, FieldsBeyondTheEndReadAsZero) {
    const ShortFileCase& c = GetParam();
    Bytes file = MakeFile(3, "abc", 1, 1, 2);
    file.resize(c.size);
    const TSettingsFile f = ReadSettingsFile(file);
    EXPECT_EQ(f.lastProfilePath, c.path);
    EXPECT_EQ(f.languageIndex, c.language);
    EXPECT_EQ(f.autoConnect, c.autoConnect);
    EXPECT_EQ(f.modelByte, c.model);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SettingsFileShort,
    ::testing::Values(ShortFileCase{0, "", 0, 0, 0}, ShortFileCase{3, "", 0, 0, 0},
                      ShortFileCase{6, "", 0, 0, 0},  // path cut off
                      ShortFileCase{7, "abc", 0, 0, 0}, ShortFileCase{203, "abc", 0, 0, 0},
                      ShortFileCase{204, "abc", 1, 0, 0}, ShortFileCase{205, "abc", 1, 1, 0},
                      ShortFileCase{206, "abc", 1, 1, 2}),
    [](const auto& info) { return "Size" + std::to_string(info.param.size); });

TEST(SettingsFileRead, LongerFileIgnoresTheRest) {
    Bytes file = MakeFile(1, "a", 2, 0, 1);
    file.resize(300, 0xFF);
    const TSettingsFile f = ReadSettingsFile(file);
    EXPECT_EQ(f.lastProfilePath, "a");
    EXPECT_EQ(f.modelByte, 1);
}

TEST(SettingsFileRead, LanguageIndexIsSignedLittleEndian) {
    EXPECT_EQ(ReadSettingsFile(MakeFile(0, "", -1, 0, 0)).languageIndex, -1);
    EXPECT_EQ(ReadSettingsFile(MakeFile(0, "", 0x01020304, 0, 0)).languageIndex, 0x01020304);
}

// Writers: exact bytes and offsets of each field.
struct PatchCase {
    const char* name;
    TFieldPatch patch;
    std::size_t offset;
    Bytes bytes;
};

class SettingsFilePatch : public ::testing::TestWithParam<PatchCase> {};

TEST_P(SettingsFilePatch, WritesOnlyItsField) {
    const PatchCase& c = GetParam();
    EXPECT_EQ(c.patch.offset, c.offset);
    EXPECT_EQ(c.patch.bytes, c.bytes);

    const Bytes before(kSettingsFileSize, 0xAA);
    const Bytes after = ApplyPatch(before, c.patch);
    ASSERT_EQ(after.size(), kSettingsFileSize);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool inField = i >= c.offset && i < c.offset + c.bytes.size();
        EXPECT_EQ(after[i], inField ? c.bytes[i - c.offset] : 0xAA) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SettingsFilePatch,
    ::testing::Values(
        PatchCase{"model", ModelPatch(3), 205, {3}},
        PatchCase{"autoOn", AutoConnectPatch(true), 204, {1}},
        PatchCase{"autoOff", AutoConnectPatch(false), 204, {0}},
        PatchCase{"language", LanguageIndexPatch(1), 200, {1, 0, 0, 0}},
        PatchCase{"languageNegative", LanguageIndexPatch(-1), 200, {0xFF, 0xFF, 0xFF, 0xFF}},
        PatchCase{"asciiPath",
                  LastProfilePathPatch("/a.hex1"),
                  0,
                  {7, 0, 0, 0, '/', 'a', '.', 'h', 'e', 'x', '1'}},
        // Cyrillic letters take one Windows-1251 byte each; the count is in characters.
        PatchCase{"cyrillicPath",
                  LastProfilePathPatch("/Яд.hex1"),
                  0,
                  {8, 0, 0, 0, '/', 0xDF, 0xE4, '.', 'h', 'e', 'x', '1'}},
        PatchCase{"unmappablePath",
                  LastProfilePathPatch("/a€中.hex1"),
                  0,
                  {9, 0, 0, 0, '/', 'a', 0x88, '?', '.', 'h', 'e', 'x', '1'}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFilePatch, ShorterPathLeavesOldBytesBehind) {
    Bytes file = ApplyPatch({}, LastProfilePathPatch("/long/path.hex1"));
    file = ApplyPatch(file, LastProfilePathPatch("/b.hex1"));
    EXPECT_EQ(std::string(file.begin() + 4, file.end()), "/b.hex1ath.hex1");
    EXPECT_EQ(ReadSettingsFile(file).lastProfilePath, "/b.hex1");
}

// A path that does not fit would run into the language index and the bytes
// behind it; it is stored as "no profile" instead.
TEST(SettingsFilePatch, OverlongPathNeverOverwritesLaterFields) {
    Bytes file = MakeFile(3, "abc", 1, 1, 2);
    file = ApplyPatch(file, LastProfilePathPatch("/" + std::string(196, 'p')));
    ASSERT_EQ(file.size(), kSettingsFileSize);
    const TSettingsFile f = ReadSettingsFile(file);
    EXPECT_EQ(f.lastProfilePath, "");
    EXPECT_EQ(f.languageIndex, 1);
    EXPECT_EQ(f.autoConnect, 1);
    EXPECT_EQ(f.modelByte, 2);
}

TEST(SettingsFilePatch, WritingIntoAnEmptyFileZeroFillsTheGap) {
    const Bytes file = ApplyPatch({}, ModelPatch(2));
    ASSERT_EQ(file.size(), kSettingsFileSize);
    EXPECT_EQ(file[205], 2);
    const TSettingsFile f = ReadSettingsFile(file);
    EXPECT_EQ(f.lastProfilePath, "");
    EXPECT_EQ(f.languageIndex, 0);
    EXPECT_EQ(f.autoConnect, 0);
}

TEST(SettingsFileRoundTrip, EveryWriterReadsBack) {
    Bytes file;
    file = ApplyPatch(file, AutoConnectPatch(true));
    file = ApplyPatch(file, LastProfilePathPatch("C:\\Профили\\резисторы.hex1"));
    file = ApplyPatch(file, ModelPatch(1));
    file = ApplyPatch(file, LanguageIndexPatch(2));
    const TSettingsFile f = ReadSettingsFile(file);
    EXPECT_EQ(Cp1251ToUtf8(f.lastProfilePath), "C:\\Профили\\резисторы.hex1");
    EXPECT_EQ(f.languageIndex, 2);
    EXPECT_EQ(f.autoConnect, 1);
    EXPECT_EQ(f.modelByte, 1);
}

TEST(CodePage, BrokenUtf8BecomesOneQuestionMarkPerCharacter) {
    EXPECT_EQ(Utf8ToCp1251("a\xD0z"), "a?z");
    EXPECT_EQ(Utf8ToCp1251("a\xFF"), "a?");
    EXPECT_EQ(Utf8ToCp1251("\xE2\x82"), "?");  // cut-off three-byte sequence
}

TEST(CodePage, UndefinedWindows1251ByteDecodesAsQuestionMark) {
    EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a?z");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\xB8"), "АяЁё");
}

}  // namespace
}  // namespace settings
