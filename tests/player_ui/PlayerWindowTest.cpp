// The player's window on a file the default project exports for our own player: the picture follows
// the sound's clock, pause, seek, the keys, full screen, drop, and the files it cannot or can only
// partly play. The strips and screenshots go to the build folder.
#include "player/ui/CPlayerWindow.h"
#include "player/ui/CPlayerView.h"

#include "PlayerTestSupport.h"
#include "TestSupport.h"
#include "export/ExportPipeline.h"

#include <QApplication>
#include <QAudioSource>
#include <QMediaDevices>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

// The toolkit's font, desktop-bus and sound-server libraries keep allocations until the process ends;
// the sanitizer build's leak checker looks past those and still watches the player's own.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6\nleak:libfontconfig\nleak:libpulse\nleak:libdbus\nleak:libglib\n";
}

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "player_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The default project exported once as an animation stream, as the studio's export writes it.
const std::filesystem::path& exportedFile()
{
    static testsupport::TempDir dir;
    static const std::filesystem::path path = [] {
        const std::filesystem::path output = dir / "Male.cmf";
        playertest::Project project;
        return runExport(project.parameters(output, ExportKind::stream, 3)) == kExportOk
                   ? output
                   : std::filesystem::path();
    }();
    return path;
}

QString qtPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Where this run's pictures go: one name per platform, as the two runs may overlap.
std::filesystem::path picturePath(const std::string& name)
{
    return testsupport::binDir().parent_path() /
           (name + "_" + QApplication::platformName().toStdString() + ".png");
}

struct ShownWindow {
    QApplication& app = application();
    CPlayerWindow window{testsupport::binDir() / "Expressions"};
    ShownWindow()
    {
        window.show();
        // The keys are the window's shortcuts, which only an active window gets.
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Lets the window's clock run for `ms`.
    void run(int ms) { QTest::qWait(ms); }
};

QImage viewPicture(CPlayerWindow& window)
{
    return window.view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool sameImage(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a == b;
}

// Plays the open file for two seconds and checks that the picture follows the clock; the ten pictures
// go side by side into a strip named `stripName`.
void playTwoSecondsIntoStrip(ShownWindow& shown, const std::string& stripName)
{
    CPlayerWindow& window = shown.window;
    ASSERT_TRUE(window.playback().isPlaying());
    ASSERT_GT(window.playback().durationMs(), 3000);
    if (qEnvironmentVariableIsSet("CM_PULSE_TEST")) {
        EXPECT_TRUE(window.playback().playsOnDevice()) << "the test sound server is the output";
    }

    std::vector<QImage> pictures;
    for (int i = 0; i < 10; ++i) {
        shown.run(200);
        pictures.push_back(viewPicture(window));
    }
    const std::int64_t played = window.playback().positionMs();
    EXPECT_GE(played, 1700);
    EXPECT_LE(played, 2600);
    window.refresh();
    EXPECT_LE(std::abs(window.shownFrame() - window.playback().frameIndex()), 1)
        << "the frame on screen is the record at the clock";

    const int side = 160;
    QImage strip(side * int(pictures.size()), side, QImage::Format_RGB32);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int changes = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        painter.drawImage(QRect(int(i) * side, 0, side, side), pictures[i].copy(window.view()->frameRect()));
        if (i > 0 && !sameImage(pictures[i], pictures[i - 1]))
            ++changes;
    }
    painter.end();
    strip.save(qtPath(picturePath(stripName)));
    EXPECT_GE(changes, 5) << "the face moves while the voice plays";
}

// The default project as the command-line tool writes its stream file.
const std::filesystem::path& streamFile()
{
    static testsupport::TempDir dir;
    static const std::filesystem::path path = [] {
        const std::filesystem::path output = dir / "Male.cmt";
        const auto written = testsupport::runCommand((testsupport::binDir() / "chattermask-cli").string() +
                                                     " cmt " +
                                                     (testsupport::binDir() / "Default" / "Male.cmx").string() +
                                                     " " + output.string());
        return written.status == 0 ? output : std::filesystem::path();
    }();
    return path;
}

} // namespace

TEST(PlayerWindow, ThePictureFollowsTheSoundsClockForTwoSeconds)
{
    ASSERT_FALSE(exportedFile().empty());
    ShownWindow shown;
    CPlayerWindow& window = shown.window;
    EXPECT_EQ(window.windowTitle(), "Chattermask Player");
    ASSERT_TRUE(window.openFile(qtPath(exportedFile())));
    EXPECT_EQ(window.windowTitle(), "Male.cmf - Chattermask Player");
    EXPECT_EQ(window.statusText(), "Male.cmf");
    playTwoSecondsIntoStrip(shown, "player_window_strip");
    window.grab().save(qtPath(picturePath("player_window")));

    // The picture fills the view at its own aspect: square, as large as the view allows.
    const QRect frame = window.view()->frameRect();
    EXPECT_EQ(frame.width(), frame.height());
    EXPECT_EQ(frame.width(), std::min(window.view()->width(), window.view()->height()));
}

TEST(PlayerWindow, TheStreamFilePlaysLikeTheAnimationStream)
{
    ASSERT_FALSE(streamFile().empty());
    ShownWindow shown;
    CPlayerWindow& window = shown.window;
    ASSERT_TRUE(window.openFile(qtPath(streamFile())));
    EXPECT_EQ(window.windowTitle(), "Male.cmt - Chattermask Player");
    EXPECT_EQ(window.statusText(), "Male.cmt");
    playTwoSecondsIntoStrip(shown, "player_window_cmt_strip");
    window.grab().save(qtPath(picturePath("player_window_cmt")));
}

TEST(PlayerWindow, PauseStopsTheClockAndSeekingMovesIt)
{
    ASSERT_FALSE(exportedFile().empty());
    ShownWindow shown;
    CPlayerWindow& window = shown.window;
    ASSERT_TRUE(window.openFile(qtPath(exportedFile())));
    shown.run(300);

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.playback().isPlaying());
    const std::int64_t held = window.playback().positionMs();
    const QImage still = viewPicture(window);
    shown.run(500);
    EXPECT_EQ(window.playback().positionMs(), held);
    EXPECT_TRUE(sameImage(viewPicture(window), still)) << "a paused picture stands";
    EXPECT_EQ(window.timeLabel()->text(), "0:00");

    // A click on the groove puts the position there, not a page further.
    QSlider* seek = window.seekSlider();
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(seek->width() * 3 / 4, seek->height() / 2));
    const double share = double(window.playback().positionMs()) / double(window.playback().durationMs());
    EXPECT_NEAR(share, 0.75, 0.06);
    EXPECT_FALSE(window.playback().isPlaying()) << "a click while paused stays paused";
    EXPECT_EQ(window.shownFrame(), window.playback().frameIndex());
    EXPECT_EQ(seek->value(), int(window.playback().positionMs()));

    const std::int64_t before = window.playback().positionMs();
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(window.playback().positionMs(), before - CPlayerWindow::kStepMs);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(window.playback().positionMs(), before + CPlayerWindow::kStepMs);

    seek->setValue(1000);
    EXPECT_EQ(window.playback().positionMs(), 1000);
    EXPECT_EQ(window.timeLabel()->text(), "0:01");
    QTest::keyClick(&window, Qt::Key_Space);
    shown.run(400);
    EXPECT_TRUE(window.playback().isPlaying());
    EXPECT_GT(window.playback().positionMs(), 1200) << "playing goes on from the seek";
}

TEST(PlayerWindow, FullScreenVolumeAndMute)
{
    ASSERT_FALSE(exportedFile().empty());
    ShownWindow shown;
    CPlayerWindow& window = shown.window;
    ASSERT_TRUE(window.openFile(qtPath(exportedFile())));

    QTest::keyClick(&window, Qt::Key_F);
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_FALSE(window.seekSlider()->isVisible()) << "full screen shows the picture alone";
    // Without a window manager the screen's size may never be granted; the picture is taken either way.
    static_cast<void>(QTest::qWaitFor([&] { return window.size() == window.screen()->size(); }, 1000));
    window.grab().save(qtPath(picturePath("player_window_full_screen")));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_TRUE(window.seekSlider()->isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isFullScreen()) << "Esc only leaves full screen";
    QTest::mouseDClick(window.view(), Qt::LeftButton, {}, window.view()->rect().center());
    EXPECT_TRUE(window.isFullScreen());
    QTest::mouseDClick(window.view(), Qt::LeftButton, {}, window.view()->rect().center());
    EXPECT_FALSE(window.isFullScreen());

    window.volumeSlider()->setValue(50);
    window.volumeSlider()->setValue(30);
    shown.run(300);
    EXPECT_EQ(window.playback().volume(), 30) << "the level where the slider rests";
    QTest::mouseClick(window.muteButton(), Qt::LeftButton);
    EXPECT_TRUE(window.playback().isMuted());
    EXPECT_DOUBLE_EQ(window.playback().gain(), 0.0);
    QTest::keyClick(&window, Qt::Key_M);
    EXPECT_FALSE(window.playback().isMuted());
    EXPECT_DOUBLE_EQ(window.playback().gain(), 0.3);
}

TEST(PlayerWindow, ADroppedFileIsOpenedAndOtherDropsAreRefused)
{
    ASSERT_FALSE(exportedFile().empty());
    ShownWindow shown;
    CPlayerWindow& window = shown.window;
    EXPECT_FALSE(window.view()->showsFrame());
    EXPECT_FALSE(window.view()->message().isEmpty()) << "an empty window says how to open a file";
    EXPECT_FALSE(window.seekSlider()->isEnabled());
    EXPECT_TRUE(window.volumeSlider()->isEnabled()) << "the sound can be set before a file is open";
    window.grab().save(qtPath(picturePath("player_window_empty")));

    const QPoint at = window.view()->geometry().center();
    QMimeData text;
    text.setText("not a file");
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData files;
    files.setUrls({QUrl("https://example.invalid/a.cmf"), QUrl::fromLocalFile(qtPath(exportedFile()))});
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    shown.run(100);
    EXPECT_EQ(window.windowTitle(), "Male.cmf - Chattermask Player");
    EXPECT_TRUE(window.playback().isPlaying());
    EXPECT_TRUE(window.view()->showsFrame());
    EXPECT_TRUE(window.seekSlider()->isEnabled());
}

TEST(PlayerWindow, UnreadableAndDamagedFilesSayWhat)
{
    ASSERT_FALSE(exportedFile().empty());
    testsupport::TempDir dir;
    ShownWindow shown;
    CPlayerWindow& window = shown.window;

    const auto garbage = dir / "garbage.cmf";
    testsupport::writeTextFile(garbage, "this is no animation stream");
    AnimationFile unused;
    std::string reason;
    ASSERT_EQ(openAnimationFile(garbage, testsupport::binDir() / "Expressions", unused, reason),
              AnimationOpen::failed);
    EXPECT_FALSE(window.openFile(qtPath(garbage)));
    EXPECT_EQ(window.windowTitle(), "Chattermask Player");
    EXPECT_TRUE(window.view()->message().contains(QString::fromStdString(reason)))
        << "the reader's own reason";
    EXPECT_TRUE(window.view()->message().contains("garbage.cmf"));
    EXPECT_TRUE(window.statusText().contains("garbage.cmf: " + QString::fromStdString(reason)))
        << window.statusText().toStdString();
    EXPECT_FALSE(window.playback().play());
    window.grab().save(qtPath(picturePath("player_window_unreadable")));

    // Cut in the middle of its packets: played up to the cut, with a note.
    const std::vector<unsigned char> whole = testsupport::readBinaryFile(exportedFile());
    const auto cut = dir / "cut.cmf";
    testsupport::writeBinaryFile(
        cut, std::vector<unsigned char>(whole.begin(), whole.begin() + long(whole.size() * 9 / 10)));
    AnimationFile expected;
    ASSERT_EQ(openAnimationFile(cut, testsupport::binDir() / "Expressions", expected, reason),
              AnimationOpen::damaged);
    ASSERT_TRUE(window.openFile(qtPath(cut)));
    EXPECT_EQ(window.windowTitle(), "cut.cmf - Chattermask Player");
    EXPECT_TRUE(window.statusText().contains("damaged")) << window.statusText().toStdString();
    EXPECT_TRUE(window.statusText().contains(QString::fromStdString(expected.damage)));
    EXPECT_EQ(window.playback().durationMs(), animationDurationMs(expected));
    shown.run(300);
    EXPECT_TRUE(window.playback().isPlaying());
    EXPECT_TRUE(window.view()->showsFrame());
    window.grab().save(qtPath(picturePath("player_window_damaged")));

    // A good file after a bad one plays as if the bad one had never been there.
    ASSERT_TRUE(window.openFile(qtPath(exportedFile())));
    EXPECT_EQ(window.statusText(), "Male.cmf");
}

namespace {

// The loudest sample the test server's microphone (the speakers' monitor) hears over `ms`.
int loudestHeard(QIODevice& input, int ms)
{
    input.readAll();
    QByteArray bytes;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        bytes += input.readAll();
    }
    int loudest = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        std::int16_t sample;
        std::memcpy(&sample, bytes.constData() + i, 2);
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    return loudest;
}

} // namespace

TEST(PlayerWindow, TheVoiceIsHeardAndMuteSilencesItAtOnce)
{
    if (!qEnvironmentVariableIsSet("CM_PULSE_TEST"))
        GTEST_SKIP() << "needs the test sound server";
    ASSERT_FALSE(exportedFile().empty());
    ShownWindow shown;
    QAudioFormat format;
    format.setSampleRate(16000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    QAudioSource microphone(QMediaDevices::defaultAudioInput(), format);
    QIODevice* input = microphone.start();
    ASSERT_TRUE(input);
    loudestHeard(*input, 300);

    CPlayerWindow& window = shown.window;
    ASSERT_TRUE(window.openFile(qtPath(exportedFile())));
    ASSERT_TRUE(window.playback().playsOnDevice());
    const int playing = loudestHeard(*input, 1500);
    QTest::keyClick(&window, Qt::Key_M);
    ASSERT_TRUE(window.playback().isMuted());
    loudestHeard(*input, 200);
    const int muted = loudestHeard(*input, 1000);
    microphone.stop();
    EXPECT_GT(playing, 1000) << "the voice reaches the speakers";
    EXPECT_LT(muted, playing / 20) << "mute silences the stream that plays, not only the next one";
    EXPECT_TRUE(window.playback().isPlaying()) << "muted, the clock goes on";
}
