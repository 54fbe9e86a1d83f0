#include "ui/albums/CalendarFit.h"

CalendarFit FitCalendarInto(int roomRight, int leftLimit, int width)
{
    const int left = roomRight - width;
    if (left >= leftLimit)
        return {left, 0};
    return {leftLimit, leftLimit - left};
}
