// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/rd_u_screen.h"

#include <gtest/gtest.h>

#include "english.h"
#include "support/param_name.h"

namespace display {
namespace {

constexpr const char* kKeep = nullptr;  // the control keeps its text

protocol::TMeasurementFrame Frame(std::uint8_t mode, std::uint8_t flags, float v1, float v2,
                                  float v3, bool powerSave = false) {
    protocol::TFrameFields f;
    f.status.displayMode = mode;
    f.status.powerSave = powerSave;
    f.value1 = v1;
    f.value2 = v2;
    f.value3 = v3;
    f.subMode = flags;
    return protocol::BuildMeasurementFrame(f);
}

void ExpectText(const std::optional<std::string>& actual, const char* expected, const char* name) {
    if (expected == kKeep)
        EXPECT_FALSE(actual.has_value()) << name << " was set to '" << actual.value_or("") << "'";
    else
        EXPECT_EQ(actual.value_or("<unchanged>"), expected) << name;
}

struct RdCase {
    const char* what;
    std::uint8_t flags;
    float value1, i1, i2;
    const char *prim, *primR, *v, *jPrim, *joo, *rdJ, *rdJ1, *autoMarker;
    int image;
};

class RdScreen : public ::testing::TestWithParam<RdCase> {
  protected:
    i18n::TLexicons lex_;
};

TEST_P(RdScreen, ReadOuts) {
    const RdCase& c = GetParam();
    const TRdScreen s = ShowRdMode(Frame(2, c.flags, c.value1, c.i1, c.i2), {lex_, {",", " "}});
    ExpectText(s.RD_Prim, c.prim, "RD_Prim");
    ExpectText(s.RD_prim_R, c.primR, "RD_prim_R");
    ExpectText(s.RD_V, c.v, "RD_V");
    ExpectText(s.J_prim, c.jPrim, "J_prim");
    ExpectText(s.Joo, c.joo, "Joo");
    ExpectText(s.RD_J, c.rdJ, "RD_J");
    ExpectText(s.RD_J1, c.rdJ1, "RD_J1");
    ExpectText(s.RD_Auto, c.autoMarker, "RD_Auto");
    EXPECT_EQ(s.Im_Diod, c.image);
    EXPECT_FALSE(s.SP3_Enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RdScreen,
    ::testing::Values(RdCase{"resistance auto", 0x02, 1234.5f, 5, 0, "1,2345 кОм", "R", "A1.3В",
                             "I", "о", "=5,000 мкA", " ", "A", 2},
                      RdCase{"resistance 1.3 V, milliamperes", 0x42, 5.5f, 1500, 0, "5,500 Ом", "R",
                             " 1.3В", "I", "п", "=1,500 мA", " ", " ", 2},
                      RdCase{"resistance 0.1 V, second current", 0x72, 0.25f, 50, 7, "0,2500 Ом",
                             "R", " 0.1В", "I", "п", "=0,050 мA", "Iп=7,000 мкA", " ", 2},
                      RdCase{"resistance over range", 0x12, 3e7f, 5, 2500, ">20,00 МОм", "R",
                             "A1.3В", "I", "о", "=5,000 мкA", "Iп=2,500 мA", "A", 2},
                      RdCase{"resistance sub-mode 4 keeps the voltage", 0x82, 100, 300, 0,
                             "100,00 Ом", "R", kKeep, "I", "п", "=0,300 мA", " ", " ", 2},
                      RdCase{"resistance sub-mode 1 shows the marker", 0x23, 100, 300, 0, "ПН", "D",
                             " 3.2В", "I", "п", "=0,300 мA", " ", " ", 1},
                      RdCase{"resistance sub-mode 1 even lo", 0x24, 100, 150, 0, "ПН", "D", " 3.2В",
                             " ", " ", " ", " ", " ", 0},
                      RdCase{"diode, small current hidden", 0x21, 650, 150, 0, "  V=0,650 В", "D",
                             " 3.2В", " ", " ", " ", " ", " ", 1},
                      RdCase{"diode auto", 0x00, 650, 150, 0, "  V=0,650 В", "D", "A3.2В", "I", "о",
                             "=0,150 мA", " ", "A", 0}),
    [](const auto& info) { return testing_support::ParamName(info.param.what); });

TEST(RdScreenPowerSave, BlanksOnlyTheReadingAndCurrent) {
    i18n::TLexicons lex;
    const TRdScreen s = ShowRdMode(Frame(2, 0x12, 0, 0, 0, true), {lex, {",", " "}});
    ExpectText(s.RD_Prim, "", "RD_Prim");
    ExpectText(s.Joo, " ", "Joo");
    ExpectText(s.RD_J, " ", "RD_J");
    ExpectText(s.J_prim, " ", "J_prim");
    ExpectText(s.RD_V, kKeep, "RD_V");
    ExpectText(s.RD_J1, kKeep, "RD_J1");
    ExpectText(s.RD_prim_R, kKeep, "RD_prim_R");
    ExpectText(s.RD_Auto, kKeep, "RD_Auto");
    EXPECT_FALSE(s.Im_Diod.has_value());
}

TEST(RdScreenEnglish, GreekMicroAndOhm) {
    i18n::TLexicons lex;
    lex.SetLanguage(testing::English());
    const TRdScreen s = ShowRdMode(Frame(2, 0x02, 1234.5f, 5, 0), {lex, {".", ","}});
    ExpectText(s.RD_Prim, "1.2345 k\u03A9", "RD_Prim");
    ExpectText(s.RD_J, "=5.000 \u03BCA", "RD_J");
    ExpectText(s.RD_V, "A1.3V", "RD_V");
}

struct UCase {
    const char* what;
    std::uint8_t flags;
    float r, p, m;
    const char *prim, *vrm, *pp;
};

class UScreen : public ::testing::TestWithParam<UCase> {};

TEST_P(UScreen, ReadOuts) {
    const UCase& c = GetParam();
    i18n::TLexicons lex;
    const TUScreen s = ShowUMode(Frame(3, c.flags, c.r, c.p, c.m), {lex, {",", " "}});
    ExpectText(s.U_Prim, c.prim, "U_Prim");
    ExpectText(s.U_vrm, c.vrm, "U_vrm");
    ExpectText(s.U_pp, c.pp, "U_pp");
    EXPECT_FALSE(s.SP3_Enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UScreen,
    ::testing::Values(
        UCase{"voltage milli", 0x20, 123.4f, 350, -12.5f, "V -12,500мВ", "Vскз=123,4мВ",
              "Vп-п=350,0мВ"},
        UCase{"voltage", 0x00, 1.234f, -0.5f, 1.5f, "V 1,500В", "Vскз=1,23В", "Vп-п=0,50В"},
        UCase{"voltage max min", 0x40, -0.25f, -0.5f, 1, "V 1,000В", "Vмак=-0,250В",
              "Vмин=-0,500В"},
        UCase{"current", 0x01, -2.5f, 5, 2.5f, "I 2,500В", "Iскз=2,50A", "Iп-п=5,00A"},
        UCase{"current milli max min", 0x61, 12.5f, -3, 4, "I 4,000мВ", "Iмак=12,500мA",
              "Iмин=-3,000мA"},
        UCase{"current resistance", 0x81, 1, 10, 0.125f, "I=0,125В", "", "R=10,0000 Ом"},
        UCase{"current resistance milli", 0xA1, 1, -10, 0.125f, "I=0,125мВ", "", "R=10,0000 Ом"}),
    [](const auto& info) { return testing_support::ParamName(info.param.what); });

TEST(UScreenPowerSave, ShowsTheSymbolAlone) {
    i18n::TLexicons lex;
    const TUScreen s = ShowUMode(Frame(3, 0x20, 0, 0, 0, true), {lex, {",", " "}});
    ExpectText(s.U_Prim, "V", "U_Prim");
    ExpectText(s.U_vrm, "", "U_vrm");
    ExpectText(s.U_pp, "", "U_pp");
}

}  // namespace
}  // namespace display
