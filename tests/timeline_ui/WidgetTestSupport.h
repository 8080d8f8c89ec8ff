#pragma once

#include "timeline/TimelineData.h"
#include "timeline/ui/CTrackRegionWnd.h"

#include <QImage>
#include <QString>

#include <filesystem>
#include <memory>

namespace widgettest {

// Where the tests leave the pictures they take (CM_SCREENSHOTS, else "screenshots" in the folder
// the tests run in).
std::filesystem::path screenshotDir();
bool saveShot(const QImage& image, const std::string& name);

// A track area of a given size on a timeline, shown (off screen) so that it gets real events.
struct TrackWindow {
    TimelineData timeline;
    std::unique_ptr<CTrackRegionWnd> window;

    TrackWindow(std::int32_t samples, int width = 800, int height = 330);
    ~TrackWindow();
    // Centre of a row at x.
    QPoint at(int row, int x) const;
    // A press, moves in steps and a release with the left button, as a user's drag.
    void drag(QPoint from, QPoint to, int steps = 4);
    void click(QPoint at);
};

} // namespace widgettest
