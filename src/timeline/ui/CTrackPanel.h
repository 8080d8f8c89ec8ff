#pragma once

#include <QWidget>

class CTrackRegionWnd;
class TimelineData;

// The timeline page: the 45-pixel column of track captions beside the track area.
class CTrackPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCaptionWidth = 45;

    explicit CTrackPanel(TimelineData& timeline, QWidget* parent = nullptr);
    CTrackRegionWnd* trackRegion() const { return region_; }

private:
    CTrackRegionWnd* region_;
};
