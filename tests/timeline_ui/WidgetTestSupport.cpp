#include "WidgetTestSupport.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// One application for the whole test program, on the off-screen platform unless one is chosen.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "timeline_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

namespace widgettest {

std::filesystem::path screenshotDir()
{
    const char* chosen = std::getenv("CM_SCREENSHOTS");
    std::filesystem::path dir = chosen && *chosen ? chosen : "screenshots";
    std::filesystem::create_directories(dir);
    return dir;
}

bool saveShot(const QImage& image, const std::string& name)
{
    const std::filesystem::path path = screenshotDir() / (name + ".png");
    return image.save(QString::fromStdString(path.string()), "PNG");
}

TrackWindow::TrackWindow(std::int32_t samples, int width, int height)
{
    timeline.setSampleCount(samples);
    window = std::make_unique<CTrackRegionWnd>(timeline);
    window->resize(width, height);
    window->show();
    window->zoom(100);
    QCoreApplication::processEvents();
}

TrackWindow::~TrackWindow()
{
    window.reset();
}

QPoint TrackWindow::at(int row, int x) const
{
    const RowRect r = window->view().row(row);
    return {x, r.top + r.height / 2};
}

void TrackWindow::drag(QPoint from, QPoint to, int steps)
{
    QTest::mousePress(window.get(), Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(window.get(), from + (to - from) * i / steps);
    QTest::mouseRelease(window.get(), Qt::LeftButton, Qt::NoModifier, to);
}

void TrackWindow::click(QPoint at)
{
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace widgettest
