// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/load_settings.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support/param_name.h"

namespace settings {
namespace {

Bytes FileWith(std::initializer_list<TFieldPatch> patches) {
    Bytes f;
    for (const TFieldPatch& p : patches) f = ApplyPatch(f, p);
    return f;
}

TEST(LoadSettings, MissingFileIsCreatedAndNothingIsApplied) {
    const TLoadSettingsPlan plan = PlanLoadSettings(std::nullopt, 2);
    EXPECT_TRUE(plan.createEmptyFile);
    EXPECT_FALSE(plan.model);
    EXPECT_FALSE(plan.profilePath);
}

TEST(LoadSettings, EmptyFileGivesTheStartState) {
    const Bytes empty;
    const TLoadSettingsPlan plan = PlanLoadSettings(empty, 2);
    EXPECT_FALSE(plan.createEmptyFile);
    EXPECT_FALSE(plan.autoConnectChecked);
    EXPECT_EQ(plan.model, 0);
    EXPECT_EQ(plan.modelButton, 0);
    EXPECT_EQ(plan.languageIndex, 0);
    EXPECT_EQ(plan.defaultLanguage, kLanguageRussian);
    EXPECT_FALSE(plan.profilePath);
}

struct ModelCase {
    std::uint8_t stored;
    std::uint8_t current;
    std::optional<std::uint8_t> model;
    std::optional<int> button;
};

class LoadSettingsModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(LoadSettingsModel, ModelAndButton) {
    const ModelCase& c = GetParam();
    const TLoadSettingsPlan plan = PlanLoadSettings(FileWith({ModelPatch(c.stored)}), c.current);
    EXPECT_EQ(plan.model, c.model);
    EXPECT_EQ(plan.modelButton, c.button);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LoadSettingsModel,
                         ::testing::Values(ModelCase{0, 2, 0, 0}, ModelCase{3, 0, 3, 3},
                                           // 4..9 set the model but check no button
                                           ModelCase{4, 1, 4, std::nullopt},
                                           ModelCase{9, 1, 9, std::nullopt},
                                           // 10 and more leave the model; its own button is checked
                                           ModelCase{10, 2, std::nullopt, 2},
                                           ModelCase{255, 1, std::nullopt, 1},
                                           ModelCase{10, 7, std::nullopt, std::nullopt}),
                         [](const auto& info) {
                             return "Stored" + std::to_string(info.param.stored) + "_Current" +
                                    std::to_string(info.param.current);
                         });

struct LanguageCase {
    std::int32_t index;
    const char* language;
};

class LoadSettingsLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LoadSettingsLanguage, OnlyIndexOneIsEnglish) {
    const LanguageCase& c = GetParam();
    const TLoadSettingsPlan plan = PlanLoadSettings(FileWith({LanguageIndexPatch(c.index)}), 0);
    EXPECT_EQ(plan.languageIndex, c.index);
    EXPECT_EQ(plan.defaultLanguage, c.language);
}

INSTANTIATE_TEST_SUITE_P(
    Indexes, LoadSettingsLanguage,
    ::testing::Values(LanguageCase{-1, kLanguageRussian}, LanguageCase{0, kLanguageRussian},
                      LanguageCase{1, kLanguageEnglish}, LanguageCase{2, kLanguageRussian}),
    [](const auto& info) { return "Index" + testing_support::NumberName(info.param.index); });

TEST(LoadSettings, AnyNonZeroAutoConnectByteChecksTheBox) {
    Bytes file = FileWith({AutoConnectPatch(true)});
    file[kAutoConnectOffset] = 0x80;
    EXPECT_TRUE(PlanLoadSettings(file, 0).autoConnectChecked);
    file[kAutoConnectOffset] = 0;
    EXPECT_FALSE(PlanLoadSettings(file, 0).autoConnectChecked);
}

TEST(LoadSettings, StoredPathIsDecodedToUtf8) {
    const Bytes file = FileWith({LastProfilePathPatch("/home/u/Детали.hex1"), ModelPatch(1)});
    EXPECT_EQ(PlanLoadSettings(file, 0).profilePath, "/home/u/Детали.hex1");
}

TEST(LoadSettings, BadPathLengthMeansNoProfile) {
    Bytes file = FileWith({LastProfilePathPatch("/a.hex1"), LanguageIndexPatch(1)});
    file[3] = 0x80;  // negative length
    const TLoadSettingsPlan plan = PlanLoadSettings(file, 0);
    EXPECT_FALSE(plan.profilePath);
    EXPECT_EQ(plan.defaultLanguage, kLanguageEnglish);
}

struct NameCase {
    const char* what;
    const char* path;
    const char* name;
};

class ProfileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProfileName, DropsFiveCharactersOfTheFileName) {
    EXPECT_EQ(ProfileNameFromPath(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ProfileName,
    ::testing::Values(NameCase{"WindowsPath", "C:\\p\\a.hex1", "a"},
                      NameCase{"UnixPath", "/home/u/a.hex1", "a"},
                      NameCase{"CyrillicName", "/home/u/Резисторы.hex1", "Резисторы"},
                      NameCase{"NotHex1", "/home/u/parts.txt", "part"},
                      NameCase{"ShorterThanFive", "/home/u/Дет", ""}, NameCase{"Empty", "", ""},
                      NameCase{"NoFolder", "x.hex1", "x"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ProfileHeader, CountNeedsFourBytes) {
    const Bytes header{3, 0, 0, 0, 0xFF};
    EXPECT_EQ(ProfileCountFromHeader(header), 3);
    EXPECT_EQ(ProfileCountFromHeader(std::span(header).first(3)), std::nullopt);
    EXPECT_EQ(ProfileCountFromHeader(Bytes{0xFF, 0xFF, 0xFF, 0xFF}), -1);
}

TEST(ProfileHeader, SpinnerMaximumIsCountPlusOneWithoutOverflow) {
    EXPECT_EQ(EntrySpinnerMaximum(3), 4);
    EXPECT_EQ(EntrySpinnerMaximum(-1), 0);
    EXPECT_EQ(EntrySpinnerMaximum(INT32_MAX), INT32_MAX);
}

}  // namespace
}  // namespace settings
