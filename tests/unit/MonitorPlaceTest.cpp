// Where the command window comes up on another monitor for the place stored for the main one,
// and back: monitors of different sizes, places and scales.
#include "app/MonitorPlace.h"

#include <gtest/gtest.h>

namespace {

// The line is 129 x 18 at 96 pixels per inch.
constexpr int kW = 129, kH = 18;
// A 1920 x 1080 main monitor with a 40-pixel taskbar; a 2560 x 1440 one at 150 % to its right;
// a 1280 x 1024 one at 100 % above the main one, its taskbar at the top.
const TWorkArea kMain{0, 0, 1920, 1040, 96};
const TWorkArea kRight{1920, 0, 4480, 1400, 144};
const TWorkArea kAbove{200, -1000, 1480, 0, 96};

TEST(PlaceOnMonitor, TheMainMonitorKeepsThePlaceExactlyEvenOffItsEdges) {
    for (const TPlace place : {TPlace{100, 70}, TPlace{-500, 3000}, TPlace{1900, 1030}})
        EXPECT_EQ(PlaceOnMonitor(place, kMain, kMain, kW, kH), place);
}

TEST(PlaceOnMonitor, EdgesAndTheMiddleStayWhereTheyAreOnMonitorsOfOtherSizesAndScales) {
    // At the top left corner.
    EXPECT_EQ(PlaceOnMonitor({0, 0}, kMain, kRight, kW, kH), (TPlace{1920, 0}));
    // At the bottom right corner: the larger line (194 x 27 at 150 %) just fits there too.
    EXPECT_EQ(PlaceOnMonitor({1920 - kW, 1040 - kH}, kMain, kRight, kW, kH),
              (TPlace{4480 - 194, 1400 - 27}));
    // Centred stays centred.
    const TPlace middle{(1920 - kW) / 2, (1040 - kH) / 2};
    const TPlace onRight = PlaceOnMonitor(middle, kMain, kRight, kW, kH);
    EXPECT_NEAR(onRight.X - 1920, (2560 - 194) / 2, 2);
    EXPECT_NEAR(onRight.Y, (1400 - 27) / 2, 2);
    const TPlace above = PlaceOnMonitor(middle, kMain, kAbove, kW, kH);
    EXPECT_NEAR(above.X - 200, (1280 - kW) / 2, 2);
    EXPECT_NEAR(above.Y + 1000, (1000 - kH) / 2, 2);
}

TEST(PlaceOnMonitor, AStoredPlaceOffTheMainMonitorStillLandsOnTheOther) {
    const TPlace p = PlaceOnMonitor({-300, 5000}, kMain, kAbove, kW, kH);
    EXPECT_EQ(p, (TPlace{200, -kH}));
}

TEST(PlaceOnMonitor, ADragOnAnotherMonitorIsStoredAsThePlaceItStandsForOnTheMainOne) {
    // Dragged to a place on the right monitor, stored for the main one, shown there again: the
    // same place, give or take the rounding of the scale.
    for (const TPlace dragged : {TPlace{2000, 100}, TPlace{3300, 700}, TPlace{4480 - 194, 0}}) {
        const TPlace stored = PlaceOnMonitor(dragged, kRight, kMain, kW, kH);
        EXPECT_GE(stored.X, 0);
        EXPECT_LE(stored.X, 1920 - kW);
        const TPlace again = PlaceOnMonitor(stored, kMain, kRight, kW, kH);
        EXPECT_NEAR(again.X, dragged.X, 2);
        EXPECT_NEAR(again.Y, dragged.Y, 2);
    }
}

TEST(PlaceOnMonitor, AWorkAreaSmallerThanTheLineGivesItsCorner) {
    const TWorkArea tiny{0, 0, 100, 10, 96};
    EXPECT_EQ(PlaceOnMonitor({500, 500}, kMain, tiny, kW, kH), (TPlace{0, 0}));
    EXPECT_EQ(PlaceOnMonitor({50, 5}, tiny, kMain, kW, kH), (TPlace{0, 0}));
}

} // namespace
