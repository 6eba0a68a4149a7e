// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/sweep_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace sweep {
namespace {

using protocol::TMeterModel;

std::vector<std::string> Split(std::string s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == sep) {
            out.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

// "key" -> raw value text of a flat JSON object of numbers, booleans and nulls.
std::map<std::string, std::string> JsonFields(std::string line) {
    EXPECT_TRUE(line.starts_with("{") && line.ends_with("}\n")) << line;
    line = line.substr(1, line.size() - 3);
    std::map<std::string, std::string> fields;
    for (const std::string& pair : Split(line, ',')) {
        const std::size_t colon = pair.find("\":");
        fields[pair.substr(1, colon - 1)] = pair.substr(colon + 2);
    }
    return fields;
}

struct PointCase {
    const char* name;
    TSweepPoint point;
    std::vector<std::string> nullKeys;
};

TSweepPoint Measured(double rs, double xs, int hz, bool settled) {
    TSweepPoint p = PointFrom(rs, xs, hz);
    p.readingsUsed = 3;
    p.spread = 0.0012;
    p.settled = settled;
    return p;
}

TSweepPoint NothingSeen() {
    TSweepPoint p;
    p.frequencyHz = 150000;
    return p;
}

class SweepLine : public ::testing::TestWithParam<PointCase> {};

// Both formats carry the same fields in the header's order, a number that
// reads back as the point's own, and nothing where a figure does not apply.
TEST_P(SweepLine, CsvAndJsonAgreeWithTheHeader) {
    const PointCase& c = GetParam();
    const std::string csv = CsvLine(c.point);
    ASSERT_TRUE(csv.ends_with("\r\n"));
    const std::vector<std::string> header =
        Split(CsvHeader().substr(0, CsvHeader().size() - 2), ';');
    const std::vector<std::string> cells = Split(csv.substr(0, csv.size() - 2), ';');
    ASSERT_EQ(cells.size(), header.size());
    const auto json = JsonFields(JsonLine(c.point));
    ASSERT_EQ(json.size(), header.size());
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string& key = header[i];
        ASSERT_TRUE(json.count(key)) << key;
        const bool isNull =
            std::find(c.nullKeys.begin(), c.nullKeys.end(), key) != c.nullKeys.end();
        EXPECT_EQ(json.at(key) == "null", isNull) << key << " = " << json.at(key);
        EXPECT_EQ(cells[i].empty(), isNull) << key;
        if (key == "settled") {
            EXPECT_EQ(json.at(key), c.point.settled ? "true" : "false");
            EXPECT_EQ(cells[i], c.point.settled ? "1" : "0");
        } else if (!isNull) {
            EXPECT_EQ(cells[i], json.at(key)) << key;
        }
    }
    EXPECT_EQ(std::stoi(json.at("frequency_hz")), c.point.frequencyHz);
    if (c.point.readingsUsed > 0) {
        EXPECT_EQ(std::stod(json.at("z_ohm")), c.point.Z) << "the number reads back exactly";
        EXPECT_EQ(std::stod(json.at("esr_ohm")), c.point.Rs);
        EXPECT_EQ(std::stod(json.at("theta_deg")), c.point.thetaDeg);
    }
}

const double kXcOf1uAt1k = -1 / (2 * std::numbers::pi * 1000 * 1e-6);

INSTANTIATE_TEST_SUITE_P(
    Points, SweepLine,
    ::testing::Values(
        PointCase{"Capacitor", Measured(0.31, kXcOf1uAt1k, 1000, true), {"l_henry"}},
        PointCase{"Inductor", Measured(2, 628.3, 10000, false), {"c_farad"}},
        PointCase{"Resistor", Measured(1000, 0, 100, true), {"l_henry", "c_farad", "d", "xp_ohm"}},
        PointCase{"NoReadingBeforeTheTimeOut",
                  NothingSeen(),
                  {"rs_ohm", "xs_ohm", "z_ohm", "theta_deg", "rp_ohm", "xp_ohm", "l_henry",
                   "c_farad", "d", "q", "esr_ohm", "spread"}}),
    [](const ::testing::TestParamInfo<PointCase>& info) { return std::string(info.param.name); });

TEST(SweepFrequencyText, NamesFrequenciesAsThePickersDo) {
    EXPECT_EQ(FrequencyText(100), "100");
    EXPECT_EQ(FrequencyText(120), "120");
    EXPECT_EQ(FrequencyText(1000), "1k");
    EXPECT_EQ(FrequencyText(250000), "250k");
    EXPECT_EQ(FrequencyText(1500), "1.5k");
    EXPECT_EQ(OfferedFrequencyTexts(TMeterModel::Ks15),
              (std::vector<std::string>{"100", "120", "1k", "10k", "20k", "30k", "40k", "50k",
                                        "60k", "70k", "80k", "90k", "100k", "150k"}));
}

struct ListCase {
    const char* name;
    const char* text;
    TMeterModel model;
    TFrequencyList::TProblem problem;
    std::vector<int> indices;  // when accepted
    const char* item;          // the refused item otherwise
};

class SweepFrequencyList : public ::testing::TestWithParam<ListCase> {};

TEST_P(SweepFrequencyList, AcceptsHertzAndKilohertzTheModelOffers) {
    const ListCase& c = GetParam();
    const TFrequencyList list = ParseFrequencyList(c.text, c.model);
    EXPECT_EQ(list.problem, c.problem);
    if (c.problem == TFrequencyList::TProblem::None)
        EXPECT_EQ(list.indices, c.indices);
    else
        EXPECT_EQ(list.item, c.item);
}

using P = TFrequencyList::TProblem;
INSTANTIATE_TEST_SUITE_P(
    Lists, SweepFrequencyList,
    ::testing::Values(
        ListCase{"KiloPrefix", "100,1k,10k", TMeterModel::Ks15, P::None, {1, 3, 4}, ""},
        ListCase{"UnitsAndBlanksInGivenOrder",
                 "1 kHz, 100Hz,0.12k",
                 TMeterModel::Ks15,
                 P::None,
                 {3, 1, 2},
                 ""},
        ListCase{"PlainHertz", "150000", TMeterModel::Ks15, P::None, {14}, ""},
        ListCase{"RepeatsDropped", "1k,1000,1kHz", TMeterModel::Ks15, P::None, {3}, ""},
        ListCase{"OnlyTheKs16Has250k", "250k", TMeterModel::Ks16, P::None, {6}, ""},
        ListCase{
            "250kIsNotAKs15Frequency", "1k,250k", TMeterModel::Ks15, P::NotOffered, {}, "250k"},
        ListCase{"150kIsNotAKs17Frequency", "150k", TMeterModel::Ks17, P::NotOffered, {}, "150k"},
        ListCase{"BetweenTheTableValues", "3k", TMeterModel::Ks15, P::NotOffered, {}, "3k"},
        ListCase{"NoNumber", "1k,fast", TMeterModel::Ks15, P::NotAFrequency, {}, "fast"},
        ListCase{"NotWholeHertz", "100.5", TMeterModel::Ks15, P::NotAFrequency, {}, "100.5"},
        ListCase{"EmptyItem", "100,,1k", TMeterModel::Ks15, P::NotAFrequency, {}, ""},
        ListCase{"TrailingComma", "100,", TMeterModel::Ks15, P::NotAFrequency, {}, ""},
        ListCase{"Negative", "-1k", TMeterModel::Ks15, P::NotAFrequency, {}, "-1k"},
        ListCase{"Nothing", " ", TMeterModel::Ks15, P::Empty, {}, ""}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sweep
