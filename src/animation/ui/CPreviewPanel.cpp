#include "animation/ui/CPreviewPanel.h"

#include "animation/ui/QtSoundSink.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"
#include "timeline/TimelineMix.h"

#include <QAction>
#include <QApplication>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <random>

namespace {

MediaFiles noMediaFiles()
{
    auto none = [](const std::string&) -> std::optional<std::filesystem::path> { return std::nullopt; };
    return {none, none};
}

} // namespace

CPreviewPanel::CPreviewPanel(QWidget* parent, bool openGl, int processorType,
                             std::unique_ptr<OutputVolume> volume, SoundSinkFactory sinks)
    : QWidget(parent), volume_(volume ? std::move(volume) : makeSystemVolume()), sinks_(std::move(sinks))
{
    if (!sinks_)
        sinks_ = makeQtSoundSink;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolBar_ = new QToolBar(this);
    QStyle* style = this->style();
    auto addCommand = [&](int command, QStyle::StandardPixmap icon, const QString& text) {
        QAction* action = toolBar_->addAction(style->standardIcon(icon), text);
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        return action;
    };
    addCommand(kCommandPlay, QStyle::SP_MediaPlay, tr("Play"));
    addCommand(kCommandStop, QStyle::SP_MediaStop, tr("Stop"));
    toolBar_->addSeparator();
    addCommand(kCommandMouth, QStyle::SP_ArrowRight, tr("Mouth"));
    addCommand(kCommandBlink, QStyle::SP_ArrowRight, tr("Blink"));
    addCommand(kCommandHead, QStyle::SP_ArrowRight, tr("Head"));
    toolBar_->addSeparator();
    muteAction_ = addCommand(kCommandMute, QStyle::SP_MediaVolume, tr("Mute"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolBar_);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, 100);
    slider_->setValue(volume_->volume() * 100 / OutputVolume::kFullScale);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) { volume_->setVolume(value); });
    layout->addWidget(slider_);

    window_ = new CPreviewWnd(this, openGl, processorType);
    layout->addWidget(window_, 1);

    muted_ = volume_->mute();
    applyMuteImages();
}

CPreviewPanel::~CPreviewPanel()
{
    // The player's voice clock reaches the sound player: the window and its player go first.
    delete window_;
    window_ = nullptr;
    sound_.reset();
}

void CPreviewPanel::setHeadModel(CHeadModel* model)
{
    model_ = model;
    window_->setModel(model);
}

void CPreviewPanel::setTimeline(TimelineData* timeline)
{
    stop();
    timeline_ = timeline;
}

void CPreviewPanel::setStore(const ProjectStore* store)
{
    store_ = store;
}

bool CPreviewPanel::runCommand(int command)
{
    switch (command) {
    case kCommandPlay:
        playTimeline();
        return true;
    case kCommandStop:
        stop();
        return true;
    case kCommandMouth:
        playMouthDemo();
        return true;
    case kCommandBlink:
        playBlinkDemo();
        return true;
    case kCommandHead:
        playHeadDemo();
        return true;
    case kCommandMute:
        toggleMute();
        return true;
    default:
        return false;
    }
}

bool CPreviewPanel::playTimeline()
{
    CAnimPlayer& player = window_->player();
    if (!timeline_ || timeline_->voiceFile().empty() || player.isPlaying())
        return false;
    // The previous play's sound output is idle now that the player is.
    sound_.reset();

    const PlaybackRange range = selectionRange(*timeline_);
    const MediaFiles files = store_ ? mediaFilesOf(*store_) : noMediaFiles();
    const std::uint32_t endTime = fillPlayback(*timeline_, files, player.mixer(), player.mediaSchedule(),
                                               range, seededBlinkRandom(blinkSeed_++));

    std::unique_ptr<SoundSink> sink = sinks_ ? sinks_() : nullptr;
    lastPlayHadDevice_ = sink != nullptr;
    sound_ = std::make_unique<CStreamPlayer>(std::move(sink));
    if (!mixFile_.valid() ||
        prepareTimelineMix(*timeline_, voiceReader_, player.mediaSchedule(), mixFile_.path()) != 0 ||
        sound_->open(mixFile_.path()) != 0 || !sound_->start()) {
        sound_.reset();
        player.mixer().clear();
        player.mediaSchedule().clear();
        emit warningMessage(kMessagePlayFailed);
        return false;
    }

    const int begin = static_cast<int>(range.startMs);
    CStreamPlayer* sound = sound_.get();
    player.setClock(
        [this, sound, begin](int code) {
            if (code == kClockNow) {
                const int now = begin + sound->position();
                QMetaObject::invokeMethod(
                    this,
                    [this, now] {
                        if (timeline_)
                            timeline_->setCursor(now);
                        emit playbackCursorMoved(now);
                    },
                    Qt::QueuedConnection);
                return now;
            }
            if (code == kClockStopped)
                sound->close();
            return 0;
        },
        true);
    player.play(true, static_cast<std::int32_t>(endTime));
    return true;
}

void CPreviewPanel::stop()
{
    window_->player().stop();
}

void CPreviewPanel::playDemo(void (*fill)(CFapMixer&))
{
    CAnimPlayer& player = window_->player();
    if (player.isPlaying())
        return;
    fill(player.mixer());
    player.setClock({}, false);
    player.play(true, 0);
}

void CPreviewPanel::playMouthDemo()
{
    playDemo(fillMouthDemo);
}

void CPreviewPanel::playBlinkDemo()
{
    playDemo(fillBlinkDemo);
}

void CPreviewPanel::playHeadDemo()
{
    playDemo(fillHeadDemo);
}

void CPreviewPanel::toggleMute()
{
    muted_ = !muted_;
    volume_->setMute(muted_);
    applyMuteImages();
}

void CPreviewPanel::applyMuteImages()
{
    muteAction_->setIcon(
        style()->standardIcon(muted_ ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    muteAction_->setText(muted_ ? tr("Unmute") : tr("Mute"));
}
