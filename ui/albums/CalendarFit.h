#pragma once

// Where the album window's calendar goes once its real size is known. The
// template gives it a room at the window's right; a calendar drawn in a wider
// font than the template was made for needs more. It stays right-aligned in
// its room, but never reaches over the album buttons to its left: what it
// needs beyond that, the window grows by.
struct CalendarFit
{
    int left;  // the calendar's left edge, in client pixels
    int grow;  // how much wider the window must become (0: it fits)
};

// roomRight: the right edge of the template's calendar; leftLimit: the
// leftmost place the calendar may start (the album buttons' right edge and a
// gap); width: the calendar's own width.
CalendarFit FitCalendarInto(int roomRight, int leftLimit, int width);
