#include "animation/ui/CPreviewPanel.h"

#include "animation/ui/QtSoundSink.h"
#include "Common/ContentRoot.h"
#include "Common/ResourceLibrary.h"
#include "face/FapTables.h"
#include "session/PlaybackFill.h"
#include "session/TimelinePlayback.h"
#include "timeline/TimelineData.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

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
    // Six named buttons do not fit across the pane: pictures, with the names as tool tips.
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar_->setIconSize(QSize(16, 15));
    layout->addWidget(toolBar_);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, 100);
    slider_->setValue(volume_->volume() * 100 / OutputVolume::kFullScale);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) { volume_->setVolume(value); });
    layout->addWidget(slider_);

    // The expressions on the timeline blend the content's expression rows, as the export does.
    window_ = new CPreviewWnd(this, openGl, processorType, loadExpressionRows(contentRoot() / "Expressions"));
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
    // Refused before a sound output is made for nothing.
    if (!timeline_ || timeline_->voiceFile().empty() || window_->player().isPlaying())
        return false;
    TimelinePlayInputs inputs;
    inputs.files = store_ ? mediaFilesOf(*store_) : noMediaFiles();
    inputs.blinks = seededBlinkRandom(blinkSeed_);
    inputs.voiceReader = &voiceReader_;
    inputs.mixFile = mixFile_.valid() ? mixFile_.path() : std::filesystem::path();
    inputs.sink = sinks_ ? sinks_() : nullptr;
    const bool hasDevice = inputs.sink != nullptr;
    inputs.onClock = [this](int now) {
        QMetaObject::invokeMethod(
            this,
            [this, now] {
                if (timeline_)
                    timeline_->setCursor(now);
                emit playbackCursorMoved(now);
            },
            Qt::QueuedConnection);
    };
    switch (startTimelinePlay(window_->player(), *timeline_, std::move(inputs), sound_)) {
    case TimelinePlayStart::refused:
        return false;
    case TimelinePlayStart::soundFailed:
        emit warningMessage(kMessagePlayFailed);
        return false;
    case TimelinePlayStart::started:
        break;
    }
    ++blinkSeed_;
    lastPlayHadDevice_ = hasDevice;
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

void CPreviewPanel::setResources(const ResourceLibrary* resources)
{
    for (int set = 0; set < 2; ++set) {
        std::span<const unsigned char> png = resources
                                                 ? resources->bitmap(set ? kImagesMuted : kImagesUnmuted)
                                                 : std::span<const unsigned char>();
        QPixmap strip;
        if (png.empty() || !strip.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG"))
            return;
        imageSets_[set] = strip;
    }
    applyMuteImages();
}

void CPreviewPanel::applyMuteImages()
{
    muteAction_->setText(muted_ ? tr("Unmute") : tr("Mute"));
    const QPixmap& strip = imageSets_[muted_ ? 1 : 0];
    if (strip.isNull()) {
        muteAction_->setIcon(
            style()->standardIcon(muted_ ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        return;
    }
    // The whole set changes with the sound state, as one picture per button, in the bar's order.
    int index = 0;
    for (QAction* action : toolBar_->actions()) {
        if (action->isSeparator())
            continue;
        action->setIcon(QIcon(strip.copy(index * 16, 0, 16, strip.height())));
        ++index;
    }
}
