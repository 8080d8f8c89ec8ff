// The default project played in the preview for three seconds in each drawing mode: the mouth moves in
// the frames the window shows, and both modes show the same picture the same way up.
#include "animation/ui/CPreviewPanel.h"

#include "face/CHeadModel.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "session/ProjectSession.h"
#include "TestSupport.h"

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

// Offscreen unless a display was chosen for the test (the X server of with-xvfb.sh).
QApplication& drawingApplication()
{
    static int argc = 1;
    static char name[] = "animation_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

template <typename Condition> bool processUntil(Condition condition, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition() && std::chrono::steady_clock::now() < end)
        drawingApplication().processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

struct QuietVolume final : OutputVolume {
    bool setVolume(int) override { return true; }
    int volume() override { return kFullScale / 2; }
    bool setMute(bool) override { return true; }
    bool mute() override { return false; }
};

// The default male project opened as the project editor opens it, its head standing as the editing
// view shows it.
struct DefaultProject {
    DefaultPrompts prompts;
    ProjectSession session{EditorMode::project, prompts, testsupport::binDir()};

    bool open()
    {
        CoreStatus status;
        if (!session.openDocument(testsupport::binDir() / "Default" / "Male.cmx", false, status) ||
            !session.headModel())
            return false;
        CSoftRenderer fitting;
        fitting.create(session.headModel(), 0);
        headview::attachWithNormalise(fitting, *session.headModel());
        session.headModel()->saveToSet(1);
        // Three seconds from the start of the voice.
        session.timeline().setSelection(0, 3 * 16000);
        return true;
    }
};

struct PlayedFrames {
    std::vector<QImage> frames;
    bool openGl = false;
};

PlayedFrames playThreeSeconds(DefaultProject& project, bool openGl)
{
    PlayedFrames played;
    CPreviewPanel panel(nullptr, openGl, 0, std::make_unique<QuietVolume>(),
                        [] { return std::unique_ptr<SoundSink>(); });
    played.openGl = panel.previewWindow().drawsWithOpenGl();
    panel.resize(320, 360);
    panel.show();
    panel.setHeadModel(project.session.headModel());
    panel.setTimeline(&project.session.timeline());
    panel.setStore(&project.session.store());
    // The window has its laid-out size once a frame of that size arrived.
    CPreviewWnd& window = panel.previewWindow();
    processUntil([&] { return window.lastFrame().size() == window.size(); }, 20);
    QObject::connect(&panel.previewWindow(), &CPreviewWnd::frameShown, [&] {
        if (panel.previewWindow().player().isPlaying())
            played.frames.push_back(panel.previewWindow().lastFrame());
    });
    if (!panel.runCommand(CPreviewPanel::kCommandPlay))
        return played;
    processUntil([&] { return !panel.previewWindow().player().isPlaying(); }, 30);
    return played;
}

// Pixels of the mouth region (the lower middle of the view) that differ between two frames.
int mouthDifference(const QImage& a, const QImage& b)
{
    const QRect mouth(a.width() * 3 / 8, a.height() * 5 / 8, a.width() / 4, a.height() / 6);
    int changed = 0;
    for (int y = mouth.top(); y <= mouth.bottom(); ++y)
        for (int x = mouth.left(); x <= mouth.right(); ++x)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return changed;
}

// Mean difference of the colour channels over the whole picture.
double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

void saveStrip(const std::vector<QImage>& frames, const std::string& name)
{
    const int shown = 8;
    const QImage& first = frames.front();
    QImage strip(first.width() * shown, first.height(), QImage::Format_RGB32);
    QPainter painter(&strip);
    for (int i = 0; i < shown; ++i)
        painter.drawImage(i * first.width(), 0, frames[frames.size() * static_cast<size_t>(i) / shown]);
    painter.end();
    strip.save(QString::fromStdString((testsupport::binDir().parent_path() / name).string()));
}

} // namespace

TEST(PreviewDrawingModes, TheDefaultProjectPlaysWithAMovingMouthInBothModes)
{
    drawingApplication();
    DefaultProject project;
    ASSERT_TRUE(project.open());

    PlayedFrames software = playThreeSeconds(project, false);
    PlayedFrames openGl = playThreeSeconds(project, true);
    EXPECT_FALSE(software.openGl);
    if (!openGl.openGl)
        GTEST_SKIP() << "no OpenGL context on this machine; the preview fell back to software";

    for (const PlayedFrames* played : {&software, &openGl}) {
        const char* mode = played->openGl ? "OpenGL" : "software";
        ASSERT_GE(played->frames.size(), 30u) << mode;
        int mostChanged = 0, changedPairs = 0;
        for (size_t i = 1; i < played->frames.size(); ++i) {
            const int changed = mouthDifference(played->frames[i - 1], played->frames[i]);
            mostChanged = std::max(mostChanged, changed);
            changedPairs += changed > 0;
        }
        EXPECT_GT(mostChanged, 50) << mode;
        EXPECT_GT(changedPairs, static_cast<int>(played->frames.size()) / 3) << mode;
        saveStrip(played->frames,
                  played->openGl ? "preview_play_strip_gl.png" : "preview_play_strip_soft.png");
    }
    // The same head at about the same time, the same way up: the modes differ by rasterisation and by
    // the few milliseconds between the frames' times. (The first frame shown may still be the idle
    // one drawn before the play, without the background.)
    const QImage& softwareMiddle = software.frames[software.frames.size() / 2];
    const QImage& openGlMiddle = openGl.frames[openGl.frames.size() / 2];
    EXPECT_LT(meanDifference(softwareMiddle, openGlMiddle), 12.0);
    EXPECT_GT(meanDifference(softwareMiddle, openGlMiddle.mirrored(false, true)), 25.0);
    EXPECT_EQ(project.session.headModel()->busy(), 0);
}
