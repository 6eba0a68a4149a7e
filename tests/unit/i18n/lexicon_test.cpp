// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lexicon.h"

#include <gtest/gtest.h>

#include "support/param_name.h"

namespace i18n {
namespace {

struct LookupCase {
    const char* lexicon;
    int index;
    const char* expected;
};

class LexiconLookup : public ::testing::TestWithParam<LookupCase> {};

const TDesignedLexicon& ByName(const TLexicons& lex, const std::string& name) {
    for (const TDesignedLexicon* l : lex.All())
        if (l->Key() == "Form1." + name) return *l;
    throw std::invalid_argument(name);
}

TEST_P(LexiconLookup, DesignLanguage) {
    TLexicons lex;
    const LookupCase& c = GetParam();
    EXPECT_EQ(ByName(lex, c.lexicon).GetItem(c.index), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, LexiconLookup,
    ::testing::Values(LookupCase{"Dlang_connect", 0, "Подключить"},
                      LookupCase{"Dlang_connect", 8, "Сон"}, LookupCase{"Dlang3", 0, "Гц"},
                      LookupCase{"Dlang3", 9, "мин"}, LookupCase{"Dlang1", 3, "мк"},
                      LookupCase{"Dlang2", 1, "Параллельная"}, LookupCase{"D1", 8, "Пуск"},
                      LookupCase{"D2", 15, "Интервал"}, LookupCase{"D3", 5, "сек"},
                      // empty items
                      LookupCase{"D2", 0, ""}, LookupCase{"Dlang2", 4, ""}, LookupCase{"D3", 6, ""},
                      LookupCase{"D3", 13, ""},
                      // outside the lexicon
                      LookupCase{"D3", 14, ""}, LookupCase{"Dlang_connect", 9, ""},
                      LookupCase{"D1", -1, ""}, LookupCase{"Dlang1", 1000, ""}),
    [](const auto& info) {
        return testing_support::ParamName(info.param.lexicon) + "_" +
               testing_support::NumberName(info.param.index);
    });

TEST(LexiconTranslation, MissingItemFallsBackToRussianAndSwitchesBack) {
    TLexicons lex;
    Translations english;
    english.Set("Form1.Dlang_connect", 0, "Connect");
    english.Set("Form1.D1", 99, "beyond the lexicon");
    lex.SetLanguage(english);
    EXPECT_EQ(lex.Dlang_connect.GetItem(0), "Connect");
    EXPECT_EQ(lex.Dlang_connect.GetItem(1), "Отключить");
    EXPECT_EQ(lex.D1.GetItem(99), "");
    lex.SetLanguage({});
    EXPECT_EQ(lex.Dlang_connect.GetItem(0), "Подключить");
}

TEST(LexiconTranslation, TranslatedTextIsExpanded) {
    TLexicons lex;
    Translations t;
    t.Set("Form1.D1", 4, "Done'#13#10'again");
    lex.SetLanguage(t);
    EXPECT_EQ(lex.D1.GetItem(4), "Done\r\nagain");
}

struct ExpandCase {
    const char* name;
    std::string in;
    std::string out;
};

class Expansion : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(Expansion, Expands) {
    EXPECT_EQ(ExpandCharacterCodes(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Expansion,
    ::testing::Values(ExpandCase{"plain", "Подключено", "Подключено"},
                      ExpandCase{"crlf", "A'#13#10'B", "A\r\nB"},
                      ExpandCase{"blanks_around_run", "A' #13#10 'B", "A\r\nB"},
                      ExpandCase{"only_one_blank_skipped", "A'  #65'B", "A'  #65'B"},
                      ExpandCase{"run_without_closing_apostrophe", "A'#65B", "AAB"},
                      ExpandCase{"lone_apostrophe", "it's", "it's"},
                      ExpandCase{"apostrophe_at_end", "end'", "end'"},
                      ExpandCase{"hash_without_digit", "'#x", "'#x"},
                      ExpandCase{"cyrillic_code", "'#1055'", "П"},
                      ExpandCase{"largest_code", "'#65535'", "\xEF\xBF\xBF"},
                      ExpandCase{"above_65535_copies_rest", "A'#65#70000'B", "AA#70000'B"},
                      ExpandCase{"two_runs", "'#49' and '#50'", "1 and 2"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace i18n
