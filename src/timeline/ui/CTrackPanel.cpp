#include "timeline/ui/CTrackPanel.h"

#include "timeline/ui/CTrackRegionWnd.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

// The captions follow the track area's rows, so they line up whatever its height.
class CaptionColumn : public QWidget {
public:
    CaptionColumn(CTrackRegionWnd* region, QWidget* parent) : QWidget(parent), region_(region)
    {
        setFixedWidth(CTrackPanel::kCaptionWidth);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        static const char* const kCaptions[kTrackRowCount] = {"Time", "Voice", "Viseme", "Expr.", "Head", "Event",
                                                               "Sound"};
        QPainter painter(this);
        painter.fillRect(rect(), QColor(240, 240, 240));
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(11);
        painter.setFont(font);
        const TrackView& view = region_->view();
        for (int row = 0; row < kTrackRowCount; ++row) {
            const RowRect r = view.row(row);
            painter.setPen(QColor(160, 160, 160));
            painter.drawLine(0, r.bottom() - 1, width(), r.bottom() - 1);
            painter.setPen(Qt::black);
            painter.drawText(QRect(3, r.top, width() - 5, r.height), Qt::AlignVCenter | Qt::AlignLeft,
                             QString::fromLatin1(kCaptions[row]));
        }
        painter.setPen(QColor(160, 160, 160));
        painter.drawLine(width() - 1, 0, width() - 1, height());
    }

private:
    CTrackRegionWnd* region_;
};

} // namespace

CTrackPanel::CTrackPanel(TimelineData& timeline, QWidget* parent) : QWidget(parent)
{
    region_ = new CTrackRegionWnd(timeline, this);
    auto* captions = new CaptionColumn(region_, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(captions);
    layout->addWidget(region_, 1);
    connect(region_, &CTrackRegionWnd::undoStateChanged, captions, qOverload<>(&QWidget::update));
}
