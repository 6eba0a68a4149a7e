// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lang_catalog.h"

#include <gtest/gtest.h>

namespace i18n {
namespace {

const std::vector<TDesignProperty> kWindow = {
    {{kCaption, "B2", "Form1", {}}, "Подключить"},
    {{kItems, "CBox10", "Form1", 0}, "Измерение 1 детали"},
    {{kItems, "CBox10", "Form1", 1}, "Мульти"},
};

// English for everything the window and its lexicons have.
TLanguageFile CompleteEnglish(const TLexicons& lexicons) {
    TLanguageFile f = MakeTemplate(kWindow, lexicons);
    f.name = "English";
    for (TPropertyLine& p : f.properties) p.text = "en " + p.text;
    for (TLexiconBlock& b : f.lexicons)
        for (auto& item : b.items) item.second = "en " + item.second;
    return f;
}

bool Mentions(const std::vector<std::string>& messages, const std::string& part) {
    for (const std::string& m : messages)
        if (m.find(part) != std::string::npos) return true;
    return false;
}

TEST(LanguageTemplate, HoldsEveryPropertyAndEveryNonEmptyLexiconItem) {
    TLexicons lexicons;
    const TLanguageFile t = MakeTemplate(kWindow, lexicons);
    EXPECT_EQ(t.properties.size(), kWindow.size());
    ASSERT_EQ(t.lexicons.size(), lexicons.All().size());
    const TLexiconBlock& d2 = t.lexicons[5];
    EXPECT_EQ(d2.key, "Form1.D2");
    EXPECT_EQ(d2.items.front(), (std::pair<int, std::string>{1, "Позиция"}));  // item 0 is empty
    EXPECT_TRUE(t.lexicons.back().langman);
    EXPECT_EQ(t.lexicons.back().key, kEngineLexiconKey);
}

TEST(LanguageCheck, CompleteFileIsClean) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    const TReadResult read = ReadLanguageFile(WriteLanguageFile(CompleteEnglish(lexicons)));
    EXPECT_TRUE(CheckLanguage(read, tmpl).Clean());
}

TEST(LanguageCheck, NamesMissingObsoleteAndBrokenLines) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    TLanguageFile f = CompleteEnglish(lexicons);
    f.properties.erase(f.properties.begin() + 2);  // CBox10 item 1
    f.lexicons[4].items.pop_back();                // D1 item 8
    f.properties.push_back({{kCaption, "Gone", "Form1", {}}, "Old", false, false});
    f.lexicons[6].items.emplace_back(6, "empty in the window");  // D3 item 6
    std::string text = DecodeFileText(WriteLanguageFile(f, true));
    text.insert(text.find("0\t%LEXICON_STRINGS"), "1\tbroken line\r\n");
    const TReadResult read = ReadLanguageFile("\xEF\xBB\xBF" + text);

    const TCheckReport report = CheckLanguage(read, tmpl);
    EXPECT_FALSE(report.Clean());
    EXPECT_EQ(report.lacking.size(), 2u);
    EXPECT_TRUE(
        Mentions(report.lacking, "item 1 of CBox10 in Form1: 3\t\"Мульти\"\t%COMPONENT=CBox10;"))
        << report.lacking.front();
    EXPECT_TRUE(Mentions(report.lacking, "item 8 of lexicon Form1.D1: 8\t\"Пуск\""));
    EXPECT_EQ(report.obsolete.size(), 2u);
    EXPECT_TRUE(Mentions(report.obsolete, "caption of Gone in Form1"));
    EXPECT_TRUE(Mentions(report.obsolete, "item 6 of lexicon Form1.D3"));
    ASSERT_EQ(report.unreadable.size(), 1u);
    const int brokenLine = 2 + static_cast<int>(f.properties.size()) + 1;
    EXPECT_EQ(report.unreadable[0].rfind("line " + std::to_string(brokenLine) + ": ", 0), 0u)
        << report.unreadable[0];
}

TEST(LanguageCheck, SuperiorLanguageFillsTheGaps) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    TLanguageFile own;
    own.name = "American";
    own.superior = "English";
    own.properties = {{kWindow[0].key, "Hook up", false, false}};
    const TReadResult read = ReadLanguageFile(WriteLanguageFile(own));
    EXPECT_FALSE(CheckLanguage(read, tmpl).Clean());
    EXPECT_TRUE(CheckLanguage(read, tmpl, {CompleteEnglish(lexicons)}).Clean());
}

TEST(LanguageCheck, FilesThatAreNotLanguagesOrCutOffAreUnreadable) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    EXPECT_FALSE(CheckLanguage(ReadLanguageFile("hello"), tmpl).unreadable.empty());
    const std::string whole = WriteLanguageFile(CompleteEnglish(lexicons), true);
    const TReadResult cut = ReadLanguageFile(whole.substr(0, whole.size() - 10));
    EXPECT_TRUE(Mentions(CheckLanguage(cut, tmpl).unreadable, "cut off"));
}

TEST(LanguageCheck, MissingEndMarkIsOnlyAWarning) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    std::string whole = WriteLanguageFile(CompleteEnglish(lexicons), true);
    const TCheckReport marked = CheckLanguage(ReadLanguageFile(whole), tmpl);
    EXPECT_TRUE(marked.Clean());
    EXPECT_TRUE(marked.warnings.empty());

    whole.erase(whole.find("0\t%SMART_STRINGS"));
    const TCheckReport unmarked = CheckLanguage(ReadLanguageFile(whole), tmpl);
    EXPECT_TRUE(unmarked.Clean());
    EXPECT_TRUE(Mentions(unmarked.warnings, "%SMART_STRINGS"));

    // Cut inside the last item instead: no longer complete.
    const TCheckReport cut =
        CheckLanguage(ReadLanguageFile(whole.substr(0, whole.size() - 6)), tmpl);
    EXPECT_FALSE(cut.Clean());
    EXPECT_TRUE(Mentions(cut.unreadable, "cut off"));
}

TEST(LanguageMerge, FirstSourceWinsAndGapsAreNamed) {
    TLexicons lexicons;
    const TLanguageFile tmpl = MakeTemplate(kWindow, lexicons);
    TLanguageFile first;
    first.name = "English";
    first.code = "en";
    first.properties = {{kWindow[0].key, "Connect", false, false},
                        {{kCaption, "Gone", "Form1", {}}, "dropped", false, false}};
    TLanguageFile second = CompleteEnglish(lexicons);
    second.name = "Other";
    second.properties.pop_back();  // CBox10 item 1 is in no source
    std::vector<std::string> lacking;
    const TLanguageFile merged = MergeLanguages(tmpl, {first, second}, lacking);
    EXPECT_EQ(merged.name, "English");
    ASSERT_EQ(merged.properties.size(), 2u);
    EXPECT_EQ(merged.properties[0].text, "Connect");
    EXPECT_EQ(merged.properties[1].text, "en Измерение 1 детали");
    ASSERT_EQ(lacking.size(), 1u);
    EXPECT_TRUE(Mentions(lacking, "item 1 of CBox10"));
    EXPECT_EQ(merged.lexicons, CompleteEnglish(lexicons).lexicons);
}

}  // namespace
}  // namespace i18n
