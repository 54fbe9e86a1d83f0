// Where the album window's calendar goes: right-aligned in its room, never
// over the album buttons, the window growing by what is missing.
#include <gtest/gtest.h>

#include "ui/albums/CalendarFit.h"

TEST(CalendarFit, RightAlignedUntilTheButtonsThenTheWindowGrows)
{
    const struct
    {
        int roomRight, leftLimit, width;
        int left, grow;
    } cases[] = {
        {800, 600, 150, 650, 0},  // fits with room to spare
        {800, 600, 200, 600, 0},  // exactly
        {800, 600, 201, 600, 1},  // one pixel over
        {800, 600, 252, 600, 52}, // a wider font's calendar
        {800, 900, 100, 900, 200}, // no room at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.roomRight << " " << c.leftLimit << " " << c.width);
        const CalendarFit fit = FitCalendarInto(c.roomRight, c.leftLimit, c.width);
        EXPECT_EQ(fit.left, c.left);
        EXPECT_EQ(fit.grow, c.grow);
        EXPECT_EQ(fit.left + c.width, c.roomRight + c.grow) << "the calendar ends at the grown window's room";
    }
}
