// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/window_place.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings::TRect;
using settings::TWindowPlace;

TEST(WindowPlace, ReadsWhatItWrites) {
    for (const TWindowPlace& p :
         {TWindowPlace{{120, 80, 1280, 720}, false}, TWindowPlace{{-1900, -5, 1024, 600}, true}}) {
        const auto back = settings::ReadWindowPlace(settings::WriteWindowPlace(p));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, p);
    }
    EXPECT_EQ(settings::WriteWindowPlace({{1, 2, 3, 4}, true}), "geometry=1,2,3,4\nmaximized=1\n");
    // Windows line ends and unknown keys are fine.
    const auto crlf = settings::ReadWindowPlace("colour=blue\r\ngeometry=5,6,1100,700\r\n");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(*crlf, (TWindowPlace{{5, 6, 1100, 700}, false}));
}

TEST(WindowPlace, AnythingElseIsNoPlace) {
    for (const std::string text :
         {"", "maximized=1\n", "geometry=1,2,3\n", "geometry=1,2,3,4,5\n", "geometry=1,2,0,4\n",
          "geometry=1,2,3,-4\n", "geometry=a,2,3,4\n", "geometry=1, 2,3,4\n", "geometry=1,2,3,4x\n",
          "geometry=99999999999,2,3,4\n", "\x01\x02\xff"})
        EXPECT_FALSE(settings::ReadWindowPlace(text)) << text;
}

struct PlaceCase {
    const char* name;
    TRect remembered;
    std::vector<TRect> screens;
    TRect expected;
};

class PlaceOnScreens : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceOnScreens, KeepsTheWindowWithinReach) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(settings::PlaceOnScreens(c.remembered, c.screens, 1024, 600), c.expected);
}

const TRect kDesk{0, 0, 1920, 1080};
const TRect kLeftOfDesk{-1280, 0, 1280, 1024};

INSTANTIATE_TEST_SUITE_P(
    Screens, PlaceOnScreens,
    testing::Values(
        PlaceCase{"WhereItWas", {100, 50, 1300, 800}, {kDesk}, {100, 50, 1300, 800}},
        PlaceCase{"NeverBelowTheMinimum", {100, 50, 500, 300}, {kDesk}, {100, 50, 1024, 600}},
        PlaceCase{"PartlyOffPulledBackOn", {1500, 900, 1024, 600}, {kDesk}, {896, 480, 1024, 600}},
        PlaceCase{"LargerThanTheScreenShrinks", {0, 0, 3000, 2000}, {kDesk}, {0, 0, 1920, 1080}},
        PlaceCase{"OnTheSecondScreen",
                  {-1200, 100, 1100, 700},
                  {kDesk, kLeftOfDesk},
                  {-1200, 100, 1100, 700}},
        PlaceCase{
            "ScreenGoneCentresOnTheFirst", {-1200, 100, 1100, 700}, {kDesk}, {410, 190, 1100, 700}},
        PlaceCase{"SmallScreenKeepsTheMinimumAtItsCorner",
                  {300, 200, 1024, 600},
                  {{0, 0, 800, 480}},
                  {0, 0, 1024, 600}},
        PlaceCase{"NoScreensLeavesIt", {7, 8, 1100, 700}, {}, {7, 8, 1100, 700}}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

}  // namespace
