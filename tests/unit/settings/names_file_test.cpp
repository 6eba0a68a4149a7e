// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/names_file.h"

#include <gtest/gtest.h>

namespace settings {
namespace {

// The chooser with the shipped English file and two more.
const std::vector<std::string> kListed{"Русский", "English", "Deutsch", "Polski"};

TNamesFile Named(std::int32_t index, std::string language) {
    TNamesFile n;
    n.languageIndex = index;
    n.language = std::move(language);
    return n;
}

struct RestoreCase {
    const char* name;
    std::int32_t stored;
    TNamesFile names;
    std::vector<std::string> listed;
    std::string language;
};

void PrintTo(const RestoreCase& c, std::ostream* os) {
    *os << c.name;
}

class LanguageRestoring : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(LanguageRestoring, FollowsTheNameNotThePlace) {
    const RestoreCase& c = GetParam();
    EXPECT_EQ(RestoredLanguage(c.stored, c.names, c.listed), c.language);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageRestoring,
    ::testing::Values(
        RestoreCase{"ZeroIsRussian", 0, {}, kListed, "Русский"},
        RestoreCase{"NegativeIsRussian", -3, {}, kListed, "Русский"},
        RestoreCase{"OneIsEnglishWithOtherFiles", 1, {}, kListed, "English"},
        RestoreCase{"OneIsEnglishWhateverIsNamedBeside", 1, Named(2, "Deutsch"), kListed,
                    "English"},
        RestoreCase{"NamedLanguageAfterFilesWereAdded", 2, Named(2, "Polski"), kListed, "Polski"},
        RestoreCase{"NamedLanguageAfterFilesWereRemoved",
                    3,
                    Named(3, "Deutsch"),
                    {"Русский", "English", "Deutsch"},
                    "Deutsch"},
        RestoreCase{"NamedLanguageGoneIsRussian", 2, Named(2, "Klingon"), kListed, "Русский"},
        RestoreCase{"OldSettingsWithoutANameTakeThePlace", 3, {}, kListed, "Polski"},
        RestoreCase{"NameStoredWithAnotherIndexIsStale", 3, Named(2, "Deutsch"), kListed, "Polski"},
        RestoreCase{"PlacePastTheChooserIsRussian", 4, {}, kListed, "Русский"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageStoring, ZeroAndOneKeepTheirMeaning) {
    EXPECT_EQ(StoredLanguageIndex("Русский", 0), 0);
    EXPECT_EQ(StoredLanguageIndex("English", 1), 1);
    // English listed elsewhere (no eng.lng) is still stored as 1; another
    // language at place 1 is never stored as English.
    EXPECT_EQ(StoredLanguageIndex("English", 2), 1);
    EXPECT_EQ(StoredLanguageIndex("Deutsch", 1), 2);
    EXPECT_EQ(StoredLanguageIndex("Deutsch", 3), 3);
}

TEST(NamesFile, RoundTripsAndKeepsUnknownLines) {
    TNamesFile n = Named(5, "Deutsch");
    n.profilePath = "/home/a/Prüf/pp.hex1";
    n.other = {"colour=blue"};
    const std::string text = WriteNamesFile(n);
    EXPECT_EQ(ReadNamesFile(text), n);
    EXPECT_EQ(ReadNamesFile("\xEF\xBB\xBFlanguage=Polski\r\nlanguage-index=x\r\n").language,
              "Polski");
    EXPECT_FALSE(ReadNamesFile("language-index=x\n").languageIndex);
    EXPECT_EQ(ReadNamesFile("profile=C:\\a=b.hex1").profilePath, "C:\\a=b.hex1");
    EXPECT_EQ(ReadNamesFile(""), TNamesFile{});
}

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct FitCase {
    const char* name;
    std::string path;
    bool fits;
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class PathFitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(PathFitting, OnlyWhatReadsBackUnchanged) {
    EXPECT_EQ(PathFitsSettingsFile(GetParam().path), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathFitting,
    ::testing::Values(FitCase{"Latin", "/home/a/pp.hex1", true},
                      FitCase{"Cyrillic", "/home/a/Резисторы.hex1", true},
                      FitCase{"QuestionMarkItself", "/home/a/what?.hex1", true},
                      FitCase{"UmlautOutsideTheCodePage", "/home/a/Prüf/pp.hex1", false},
                      FitCase{"Chinese", "/home/a/零件.hex1", false},
                      FitCase{"Exactly196", "/" + std::string(190, 'a') + ".hex1", true},
                      FitCase{"Over196", "/" + std::string(191, 'a') + ".hex1", false},
                      FitCase{"Cyrillic196Characters", "/" + Repeat("Ж", 190) + ".hex1", true},
                      FitCase{"Cyrillic197Characters", "/" + Repeat("Ж", 191) + ".hex1", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace settings
