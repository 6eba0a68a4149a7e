// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lang_engine.h"

#include <gtest/gtest.h>

#include <fstream>

namespace i18n {
namespace {

namespace fs = std::filesystem;

// A language folder in the temporary directory, emptied for each test.
class LanguageFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("lang_engine_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    // A language with D1 items given as index, text.
    void WriteLanguage(const std::string& file, const std::string& name, const std::string& code,
                       std::vector<std::pair<int, std::string>> items,
                       const std::string& superior = {}) {
        TLanguageFile f;
        f.name = name;
        f.code = code;
        f.superior = superior;
        f.properties = {{{kCaption, "B2", "Form1", {}}, name + " B2", false, false}};
        f.lexicons = {{"Form1.D1", false, std::move(items)}};
        Write(file, WriteLanguageFile(f));
    }
    std::vector<std::string> Names(const TLangManEngine& e) {
        std::vector<std::string> names;
        for (const TLanguageEntry& l : e.Languages()) names.push_back(l.name);
        return names;
    }

    fs::path dir_;
};

TEST_F(LanguageFolder, ListsDesignLanguageThenOneEntryPerLanguageFile) {
    WriteLanguage("b_english.lng", "English", "en", {{0, "Profile"}});
    WriteLanguage("a_german.LNG", "Deutsch", "de", {{0, "Profil"}});
    WriteLanguage("c_english_again.lng", "English", "en", {{0, "Other"}});
    WriteLanguage("d_not_lng.txt", "Polski", "pl", {{0, "Profil"}});
    Write("e_no_signature.lng", WriteLanguageFile({}).substr(4));
    Write("f_empty_name.lng", WriteLanguageFile({}));
    Write("g_empty.lng", "");
    TLangManEngine e;
    e.ListLanguages(dir_);
    EXPECT_EQ(Names(e), (std::vector<std::string>{"Русский", "Deutsch", "English"}));
    EXPECT_EQ(e.Languages()[2].file.filename(), "b_english.lng");
    EXPECT_EQ(e.FindCode("EN-gb"), 2);
    EXPECT_EQ(e.FindCode("ru"), 0);
    EXPECT_EQ(e.FindCode("pl"), std::nullopt);
}

TEST_F(LanguageFolder, MissingFolderListsTheDesignLanguageAlone) {
    TLangManEngine e;
    e.ListLanguages(dir_ / "none");
    EXPECT_EQ(Names(e), (std::vector<std::string>{"Русский"}));
}

TEST_F(LanguageFolder, SuperiorLanguageFillsWhatAFileLacks) {
    WriteLanguage("en.lng", "English", "en", {{0, "Profile"}, {1, "Data recording"}});
    WriteLanguage("us.lng", "American", "us", {{1, "Data logging"}}, "English");
    TLangManEngine e;
    e.ListLanguages(dir_);
    ASSERT_TRUE(e.SetLanguage("American"));
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 0), "Profile");
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 1), "Data logging");
    EXPECT_EQ(e.Tables().Property({kCaption, "B2", "Form1", {}}), "American B2");
}

TEST_F(LanguageFolder, LanguagesNamingEachOtherAsSuperiorLoadOnce) {
    WriteLanguage("a.lng", "A", "aa", {{0, "a"}}, "B");
    WriteLanguage("b.lng", "B", "bb", {{1, "b"}}, "A");
    TLangManEngine e;
    e.ListLanguages(dir_);
    ASSERT_TRUE(e.SetLanguage("A"));
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 0), "a");
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 1), "b");
}

TEST_F(LanguageFolder, ChangeRaisesQueryAppliesAndReports) {
    WriteLanguage("en.lng", "English", "en", {{0, "Profile"}});
    TLanguageFile cut;
    cut.name = "Cut";
    cut.lexicons = {{"Form1.D1", false, {{0, "first"}}}};
    const std::string whole = WriteLanguageFile(cut, true);
    Write("cut.lng", whole.substr(0, whole.find("0\t\"first") + 4));
    TLangManEngine e;
    e.ListLanguages(dir_);
    std::vector<std::string> events;
    e.SetHooks({[&](bool&) { events.push_back("query"); }, [&] { events.push_back("apply"); },
                [&] { events.push_back("changed"); },
                [&](const TLanguageEntry&) { events.push_back("failed"); }});
    // The window is asked (and remembers the choice) only once the file has loaded.
    EXPECT_FALSE(e.SetLanguage("Cut"));
    EXPECT_EQ(events, std::vector<std::string>{"failed"});
    EXPECT_EQ(e.CurrentIndex(), 0);
    events.clear();
    EXPECT_TRUE(e.SetLanguage("English"));
    EXPECT_EQ(events, (std::vector<std::string>{"query", "apply", "changed"}));
    EXPECT_EQ(e.Current().name, "English");
    events.clear();
    // The current language and a name not listed change nothing and ask nothing.
    EXPECT_FALSE(e.SetLanguage("English"));
    EXPECT_FALSE(e.SetLanguage("Klingon"));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(e.SetLanguage("Русский"));
    EXPECT_TRUE(e.Tables().lexicons.Empty());
}

TEST_F(LanguageFolder, RefusedChangeKeepsTheLanguage) {
    WriteLanguage("en.lng", "English", "en", {{0, "Profile"}});
    TLangManEngine e;
    e.ListLanguages(dir_);
    e.SetHooks({[](bool& go) { go = false; }, {}, {}, {}});
    EXPECT_FALSE(e.SetLanguage("English"));
    EXPECT_EQ(e.CurrentIndex(), 0);
}

TEST_F(LanguageFolder, FileCutOffLoadsWhatCameBeforeWithoutBecomingCurrent) {
    WriteLanguage("en.lng", "English", "en", {{0, "Profile"}});
    TLanguageFile cut;
    cut.name = "Cut";
    cut.lexicons = {{"Form1.D1", false, {{0, "first"}, {1, "second"}}}};
    const std::string whole = WriteLanguageFile(cut, true);
    Write("cut.lng", whole.substr(0, whole.find("1\t\"second") + 5));  // inside the line
    TLangManEngine e;
    e.ListLanguages(dir_);
    ASSERT_TRUE(e.SetLanguage("English"));
    int failures = 0;
    e.SetHooks({{}, {}, {}, [&](const TLanguageEntry&) { ++failures; }});

    EXPECT_FALSE(e.SetLanguage("Cut"));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(e.Current().name, "English");
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 0), "Profile");

    TTranslationTables partial;
    EXPECT_FALSE(e.Load(*e.Find("Cut"), partial));
    EXPECT_EQ(*partial.lexicons.Find("Form1.D1", 0), "first");
    EXPECT_EQ(partial.lexicons.Find("Form1.D1", 1), nullptr);
}

// Entry 1 is what the settings file calls English: the shipped file keeps
// that place, and a second file naming itself English cannot take it.
TEST_F(LanguageFolder, ShippedEnglishComesFirstWhateverElseIsThere) {
    WriteLanguage("deutsch.lng", "Deutsch", "de", {{0, "Profil"}});
    WriteLanguage("a_english.lng", "English", "en", {{0, "Other"}});
    WriteLanguage("eng.lng", "English", "en", {{0, "Profile"}});
    TLangManEngine e;
    e.ListLanguages(dir_);
    EXPECT_EQ(Names(e), (std::vector<std::string>{"Русский", "English", "Deutsch"}));
    EXPECT_EQ(e.Languages()[1].file.filename(), "eng.lng");
    ASSERT_TRUE(e.SetLanguage("English"));
    EXPECT_EQ(*e.Tables().lexicons.Find("Form1.D1", 0), "Profile");
}

TEST_F(LanguageFolder, NotTranslatedPropertyKeepsTheDesignText) {
    TLanguageFile f;
    f.name = "English";
    f.properties = {{{kCaption, "B2", "Form1", {}}, "Connect", true, false},
                    {{kCaption, "B5", "Form1", {}}, "Clear'#13#10'log", false, false}};
    Write("en.lng", WriteLanguageFile(f));
    TLangManEngine e;
    e.ListLanguages(dir_);
    ASSERT_TRUE(e.SetLanguage("English"));
    EXPECT_EQ(e.Tables().Property({kCaption, "B2", "Form1", {}}), std::nullopt);
    EXPECT_EQ(e.Tables().Property({kCaption, "B5", "Form1", {}}), "Clear\r\nlog");
    EXPECT_EQ(e.Tables().Property({kCaption, "B6", "Form1", {}}), std::nullopt);
}

}  // namespace
}  // namespace i18n
