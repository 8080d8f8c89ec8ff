#include "timeline/TimeText.h"

#include <cmath>
#include <cstdio>

std::string timeText(std::int64_t samples, TimeTextMode mode)
{
    const double seconds = double(samples) * 0.0625 * 0.001;
    char text[64];
    if (mode == TimeTextMode::Seconds) {
        std::snprintf(text, sizeof text, "%.3f", seconds);
        return text;
    }
    const int minutes = int(std::trunc(seconds / 60));
    const double rest = seconds - 60.0 * minutes;
    if (minutes / 60.0 < 1)
        std::snprintf(text, sizeof text, "%02d:%.3f", minutes, rest);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%.3f", minutes / 60, minutes % 60, rest);
    return text;
}
