#include "animation/ui/CPreviewPanel.h"

#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "timeline/TimelineData.h"
#include "TestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QSlider>

#include <gtest/gtest.h>

#include <chrono>

// Qt and the libraries below it keep some allocations for the life of the process, as do the OpenGL
// driver and LLVM of the preview's OpenGL mode; the leak checker of the sanitizer build is told to look
// past them and keep watching ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6\nleak:libfontconfig\nleak:libpulse\nleak:libdbus\nleak:libglib\n"
           "leak:swrast_dri.so\nleak:libLLVM\nleak:libEGL_mesa\nleak:libGLX_mesa\nleak:libglapi\n";
}

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "animation_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Runs the event loop until the condition holds, without asserting how long that takes.
template <typename Condition> bool processUntil(Condition condition, int seconds = 20)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition() && std::chrono::steady_clock::now() < end)
        application().processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

struct FakeVolume final : OutputVolume {
    int level = 32768;
    bool muted = false;
    bool setVolume(int percent) override
    {
        level = scaled(percent);
        return true;
    }
    int volume() override { return level; }
    bool setMute(bool on) override
    {
        muted = on;
        return true;
    }
    bool mute() override { return muted; }
};

// The default male head as the studio shows it: fitted, with its photo and mask, neutral pose saved.
std::unique_ptr<CHeadModel> defaultHead()
{
    const std::filesystem::path bin = testsupport::binDir();
    std::unique_ptr<CHeadModel> head = readHeadFile(bin / "Models" / "MaleHead.cmm");
    if (!head)
        return nullptr;
    CSoftRenderer fitting;
    fitting.create(head.get(), 0);
    headview::attachWithNormalise(fitting, *head);
    CJpegPicture photo, mask;
    if (photo.loadFile((bin / "Faces" / "Male.jpg").string(), false) &&
        mask.loadFile((bin / "Faces" / "Male-mask.jpg").string(), true) && photo.takeAlphaFrom(mask))
        head->writeSlotPixels(0, reinterpret_cast<const std::uint32_t*>(photo.pixels()));
    head->saveToSet(1);
    return head;
}

std::unique_ptr<SoundSink> noDevice()
{
    return nullptr;
}

} // namespace

TEST(CPreviewPanel, MuteTwiceReturnsToUnmutedAndTheSliderFollowsTheSpeakers)
{
    application();
    auto volume = std::make_unique<FakeVolume>();
    FakeVolume* speakers = volume.get();
    CPreviewPanel panel(nullptr, false, 0, std::move(volume), noDevice);
    EXPECT_EQ(panel.volumeSlider()->value(), 50);
    EXPECT_EQ(panel.toolBarImages(), CPreviewPanel::kImagesUnmuted);

    const bool expectedMute[] = {true, false};
    for (bool mute : expectedMute) {
        EXPECT_TRUE(panel.runCommand(CPreviewPanel::kCommandMute));
        EXPECT_EQ(panel.isMuted(), mute);
        EXPECT_EQ(speakers->muted, mute);
        EXPECT_EQ(panel.toolBarImages(), mute ? CPreviewPanel::kImagesMuted : CPreviewPanel::kImagesUnmuted);
    }

    panel.volumeSlider()->setValue(100);
    EXPECT_EQ(speakers->level, 65535);
    EXPECT_FALSE(panel.runCommand(12345));
}

TEST(CPreviewPanel, MouthDemoMovesTheMouthInTheShownFrames)
{
    application();
    std::unique_ptr<CHeadModel> head = defaultHead();
    ASSERT_TRUE(head);
    CPreviewPanel panel(nullptr, false, 0, nullptr, noDevice);
    panel.resize(320, 360);
    panel.show();
    panel.setHeadModel(head.get());

    std::vector<QImage> frames;
    QObject::connect(&panel.previewWindow(), &CPreviewWnd::frameShown,
                     [&] { frames.push_back(panel.previewWindow().lastFrame()); });
    ASSERT_TRUE(processUntil([&] { return !frames.empty(); }));
    frames.clear();
    panel.runCommand(CPreviewPanel::kCommandMouth);
    ASSERT_TRUE(panel.previewWindow().player().isPlaying());
    ASSERT_TRUE(processUntil([&] { return !panel.previewWindow().player().isPlaying(); }));
    processUntil([] { return false; }, 0);
    // The player drops frames it cannot draw in time (a sanitizer build on a busy machine shows only a
    // handful of the demo's 27); one at rest and one with the mouth open are what the check needs.
    ASSERT_GE(frames.size(), 3u);

    // The mouth region: the lower middle of the view. The frame at rest and one at the open mouth differ.
    const QImage& rest = frames.front();
    const QRect mouth(rest.width() / 3, rest.height() / 2, rest.width() / 3, rest.height() / 3);
    int mostChanged = 0;
    size_t mostChangedIndex = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        int changed = 0;
        for (int y = mouth.top(); y <= mouth.bottom(); ++y)
            for (int x = mouth.left(); x <= mouth.right(); ++x)
                changed += frames[i].pixel(x, y) != rest.pixel(x, y);
        if (changed > mostChanged) {
            mostChanged = changed;
            mostChangedIndex = i;
        }
    }
    EXPECT_GT(mostChanged, 50);
    EXPECT_EQ(head->busy(), 0);

    // A strip of the frames and the whole panel, for a person to look at.
    const int shown = 6;
    QImage strip(rest.width() * shown, rest.height(), QImage::Format_RGB32);
    QPainter painter(&strip);
    for (int i = 0; i < shown; ++i) {
        const size_t index =
            i == shown - 1 ? mostChangedIndex : frames.size() * static_cast<size_t>(i) / shown;
        painter.drawImage(i * rest.width(), 0, frames[index]);
    }
    painter.end();
    const std::filesystem::path out = testsupport::binDir().parent_path();
    strip.save(QString::fromStdString((out / "preview_mouth_strip.png").string()));
    panel.grab().save(QString::fromStdString((out / "preview_panel.png").string()));
}

TEST(CPreviewPanel, PlayingTheTimelineRunsOnTheVoiceClockAndEndsByItself)
{
    application();
    testsupport::TempDir dir;
    std::vector<std::int16_t> samples(16000 * 3 / 4, 1000);
    CWavWriter writer;
    ASSERT_EQ(writer.create(dir / "voice.wav", voiceFormat()), kWavOk);
    ASSERT_EQ(writer.write(samples.data(), samples.size() * 2), kWavOk);
    ASSERT_EQ(writer.finish(static_cast<std::uint32_t>(samples.size())), kWavOk);

    TimelineData timeline;
    ASSERT_TRUE(timeline.setVoice(dir / "voice.wav", static_cast<std::int32_t>(samples.size())));
    // A selection of one sample plays the whole voice.
    timeline.setSelection(100, 101);
    std::unique_ptr<CHeadModel> head = defaultHead();
    ASSERT_TRUE(head);

    CPreviewPanel panel(nullptr, false, 0, nullptr, noDevice);
    panel.setHeadModel(head.get());
    panel.setTimeline(&timeline);
    std::vector<int> cursor;
    QObject::connect(&panel, &CPreviewPanel::playbackCursorMoved, [&](int ms) { cursor.push_back(ms); });
    int warnings = 0;
    QObject::connect(&panel, &CPreviewPanel::warningMessage, [&](int) { ++warnings; });

    ASSERT_TRUE(panel.runCommand(CPreviewPanel::kCommandPlay) && panel.previewWindow().player().isPlaying());
    EXPECT_FALSE(panel.playTimeline());
    ASSERT_TRUE(processUntil([&] { return !panel.previewWindow().player().isPlaying(); }));
    // The cursor moves by queued calls from the player's thread; on a loaded machine the last of them
    // may still be on its way when playback has ended.
    processUntil([&] { return !cursor.empty() && cursor.back() >= 749; }, 5);

    EXPECT_EQ(warnings, 0);
    EXPECT_FALSE(panel.lastPlayHadDevice());
    ASSERT_FALSE(cursor.empty());
    EXPECT_TRUE(std::is_sorted(cursor.begin(), cursor.end()));
    EXPECT_GE(cursor.back(), 749);
    EXPECT_EQ(timeline.cursor(), cursor.back());
    EXPECT_EQ(head->busy(), 0);
}
