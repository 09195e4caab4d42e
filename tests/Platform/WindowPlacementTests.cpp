#include "Corvallen/Platform/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, TheWholeFrameLandsOnTheScreen)
{
    const QMargins frame(4, 28, 4, 4);
    struct Case {
        const char* what;
        QSize wanted;
        QSize minimum;
        QRect available;
        QPoint centre;
        QRect expected;
    };
    const Case cases[] = {
        {"fits, centred on the main window", {600, 400}, {200, 100}, {0, 0, 1120, 740}, {560, 370}, {260, 182, 600, 400}},
        {"taller than the screen: cut to fit", {900, 740}, {200, 100}, {0, 0, 1120, 740}, {560, 370}, {110, 28, 900, 708}},
        {"both ways too large", {1200, 900}, {200, 100}, {0, 0, 860, 540}, {430, 270}, {4, 28, 852, 508}},
        {"centre near the bottom edge: pushed up", {600, 400}, {0, 0}, {0, 0, 1120, 740}, {560, 700}, {260, 336, 600, 400}},
        {"centre off to the left: pushed right", {600, 400}, {0, 0}, {0, 0, 1120, 740}, {0, 370}, {4, 182, 600, 400}},
        {"a panel takes the top of the screen", {600, 800}, {0, 0}, {0, 30, 1120, 710}, {560, 370}, {260, 58, 600, 678}},
        {"a second screen to the right", {600, 400}, {0, 0}, {1920, 0, 1280, 800}, {2560, 400}, {2260, 212, 600, 400}},
        {"minimum larger than the screen: title bar stays on it", {900, 900}, {900, 900}, {0, 0, 860, 540}, {430, 270}, {4, 28, 900, 900}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowPlacement::placeWithin(c.wanted, c.minimum, frame, c.available, c.centre), c.expected) << c.what;
}
