#include "player/ui/CPlayerWindow.h"

#include "animation/ui/QtSoundSink.h"
#include "player/ui/CPlayerView.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProxyStyle>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kProgramTitle = "Chattermask Player";
// Often enough that a 15-per-second animation never waits a whole record for its frame.
constexpr int kClockPeriodMs = 15;
constexpr int kVolumeSettleMs = 150;
// No record index: the picture is drawn at the next refresh whatever the clock says.
constexpr std::ptrdiff_t kNothingDrawn = -2;

// A click on the groove puts the handle there instead of paging towards it.
class JumpToClickStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QString clockText(std::int64_t ms)
{
    const std::int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The first local file among dragged URLs; empty when there is none.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

// The renderer's rows run bottom to top; its fourth byte is no alpha, so it is left out.
QImage frameImage(const AnimationFrameRenderer& renderer)
{
    const QImage bottomUp(reinterpret_cast<const uchar*>(renderer.pixels().data()), renderer.width(),
                          renderer.height(), renderer.width() * 4, QImage::Format_RGB32);
    return bottomUp.mirrored(false, true);
}

} // namespace

CPlayerWindow::CPlayerWindow(std::filesystem::path expressionsFolder, PlaybackSinkFactory sinks,
                             QWidget* parent)
    : QMainWindow(parent), expressionsFolder_(std::move(expressionsFolder)),
      playback_(sinks ? std::move(sinks) : PlaybackSinkFactory(makeQtSoundSink))
{
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new CPlayerView(central);
    layout->addWidget(view_, 1);
    controls_ = makeControls();
    layout->addWidget(controls_);
    setCentralWidget(central);

    status_ = new QLabel(this);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);

    addShortcuts();
    connect(view_, &CPlayerView::doubleClicked, this, &CPlayerWindow::toggleFullScreen);
    clock_ = new QTimer(this);
    clock_->setInterval(kClockPeriodMs);
    connect(clock_, &QTimer::timeout, this, &CPlayerWindow::refresh);
    clock_->start();
    showNoFile(tr("Open an animation with Ctrl+O, or drop one on this window."), false);
    // A square picture area: the frame fills it with no bands.
    const int side = 560;
    resize(side, side + controls_->sizeHint().height() + statusBar()->sizeHint().height());
}

CPlayerWindow::~CPlayerWindow()
{
    // The stream reads the file's voice: it stops before the file goes.
    playback_.load(nullptr);
}

QWidget* CPlayerWindow::makeControls()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 6, 4);
    // The window takes the keys: no control keeps the focus and eats Space or the arrows.
    auto button = [bar](QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(bar);
        b->setIcon(bar->style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    play_ = button(QStyle::SP_MediaPlay, tr("Play (Space)"));
    connect(play_, &QToolButton::clicked, this, &CPlayerWindow::togglePlay);
    row->addWidget(play_);

    elapsed_ = new QLabel(clockText(0), bar);
    total_ = new QLabel(clockText(0), bar);
    seek_ = new QSlider(Qt::Horizontal, bar);
    // Without a base given, the proxy makes its own: handed the application's style, it would own it.
    auto* jumpStyle = new JumpToClickStyle();
    jumpStyle->setParent(seek_);
    seek_->setStyle(jumpStyle);
    seek_->setFocusPolicy(Qt::NoFocus);
    seek_->setToolTip(tr("Position (Left, Right)"));
    connect(seek_, &QSlider::valueChanged, this, &CPlayerWindow::seekFromSlider);
    connect(seek_, &QSlider::sliderPressed, this, [this] {
        resumeAfterDrag_ = playback_.isPlaying();
        playback_.pause();
    });
    connect(seek_, &QSlider::sliderReleased, this, [this] {
        if (resumeAfterDrag_)
            playback_.play();
        resumeAfterDrag_ = false;
        refresh();
    });
    row->addWidget(elapsed_);
    row->addWidget(seek_, 1);
    row->addWidget(total_);

    mute_ = button(QStyle::SP_MediaVolume, tr("Mute (M)"));
    mute_->setCheckable(true);
    connect(mute_, &QToolButton::toggled, this, [this](bool muted) {
        playback_.setMuted(muted);
        mute_->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    });
    row->addSpacing(8);
    row->addWidget(mute_);
    volume_ = new QSlider(Qt::Horizontal, bar);
    volume_->setRange(0, AnimationPlayback::kFullVolume);
    volume_->setValue(playback_.volume());
    volume_->setFixedWidth(90);
    volume_->setFocusPolicy(Qt::NoFocus);
    volume_->setToolTip(tr("Volume"));
    // Each new level restarts the sound where it is: a drag is taken when it rests.
    volumeSettle_ = new QTimer(this);
    volumeSettle_->setSingleShot(true);
    volumeSettle_->setInterval(kVolumeSettleMs);
    connect(volumeSettle_, &QTimer::timeout, this, [this] { playback_.setVolume(volume_->value()); });
    connect(volume_, &QSlider::valueChanged, volumeSettle_, qOverload<>(&QTimer::start));
    row->addWidget(volume_);
    return bar;
}

void CPlayerWindow::addShortcuts()
{
    auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    shortcut(Qt::Key_Space, [this] { togglePlay(); });
    shortcut(Qt::Key_F, [this] { toggleFullScreen(); });
    shortcut(Qt::Key_Escape, [this] { leaveFullScreen(); });
    shortcut(QKeySequence::Open, [this] { chooseFile(); });
    shortcut(Qt::Key_M, [this] { mute_->toggle(); });
    shortcut(Qt::Key_Left, [this] {
        playback_.step(-kStepMs);
        refresh();
    });
    shortcut(Qt::Key_Right, [this] {
        playback_.step(kStepMs);
        refresh();
    });
}

bool CPlayerWindow::openFile(const QString& path)
{
    playback_.load(nullptr);
    renderer_.reset();
    file_.reset();
    const QString name = QFileInfo(path).fileName();
    auto next = std::make_unique<AnimationFile>();
    std::string error;
    const AnimationOpen opened = openAnimationFile(
        std::filesystem::path(QFile::encodeName(path).toStdString()), expressionsFolder_, *next, error);
    if (opened == AnimationOpen::failed) {
        showNoFile(tr("Cannot open %1:\n%2").arg(name, QString::fromStdString(error)), true);
        return false;
    }
    file_ = std::move(next);
    fileName_ = name;
    damageNote_ = opened == AnimationOpen::damaged ? tr("damaged (%1): plays up to %2")
                                                         .arg(QString::fromStdString(file_->damage))
                                                         .arg(clockText(animationDurationMs(*file_)))
                                                   : QString();
    playback_.load(file_.get());
    setWindowTitle(fileName_ + " - " + kProgramTitle);
    status_->setText(damageNote_.isEmpty() ? fileName_
                                           : QString(fileName_ + QStringLiteral(" \u2014 ") + damageNote_));
    status_->setStyleSheet(damageNote_.isEmpty() ? QString() : QStringLiteral("color: #a04000"));
    setPlayControlsEnabled(true);
    syncingSlider_ = true;
    seek_->setRange(0, int(playback_.durationMs()));
    seek_->setPageStep(int(kStepMs));
    syncingSlider_ = false;
    total_->setText(clockText(playback_.durationMs()));
    shown_ = kNothingDrawn;
    playback_.play();
    refresh();
    return true;
}

void CPlayerWindow::showNoFile(const QString& message, bool warning)
{
    fileName_.clear();
    damageNote_.clear();
    shown_ = -1;
    view_->showMessage(message, warning);
    setWindowTitle(kProgramTitle);
    status_->setText(warning ? message.simplified() : QString());
    status_->setStyleSheet(QString());
    syncingSlider_ = true;
    seek_->setRange(0, 0);
    syncingSlider_ = false;
    elapsed_->setText(clockText(0));
    total_->setText(clockText(0));
    setPlayControlsEnabled(false);
}

void CPlayerWindow::setPlayControlsEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(play_), static_cast<QWidget*>(seek_),
                             static_cast<QWidget*>(elapsed_), static_cast<QWidget*>(total_)})
        control->setEnabled(enabled);
}

QString CPlayerWindow::statusText() const
{
    return status_->text();
}

void CPlayerWindow::togglePlay()
{
    playback_.togglePlay();
    refresh();
}

void CPlayerWindow::toggleFullScreen()
{
    if (isFullScreen()) {
        leaveFullScreen();
        return;
    }
    controls_->hide();
    statusBar()->hide();
    showFullScreen();
}

void CPlayerWindow::leaveFullScreen()
{
    if (!isFullScreen())
        return;
    showNormal();
    controls_->show();
    statusBar()->show();
}

void CPlayerWindow::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open animation"), QString(),
                                                      tr("Animations (*.cmf *.cmt);;All files (*)"));
    if (!path.isEmpty())
        openFile(path);
}

void CPlayerWindow::refresh()
{
    if (!file_)
        return;
    const std::int64_t now = playback_.positionMs();
    const std::ptrdiff_t index = frameIndexAt(file_->frames, now);
    const bool resized = index >= 0 && (!renderer_ || renderer_->width() != view_->wantedFrameSide());
    if (index != shown_ || resized)
        drawFrame(index);
    updateControls(now);
}

void CPlayerWindow::drawFrame(std::ptrdiff_t index)
{
    shown_ = index;
    if (index < 0 || !file_->head) {
        view_->showMessage(tr("%1 holds no frames.").arg(fileName_), false);
        return;
    }
    const int side = view_->wantedFrameSide();
    if (!renderer_ || renderer_->width() != side) {
        renderer_ = std::make_unique<AnimationFrameRenderer>();
        if (!renderer_->create(*file_->head, side, side)) {
            renderer_.reset();
            view_->showMessage(tr("The head of %1 cannot be drawn.").arg(fileName_), true);
            return;
        }
    }
    if (renderer_->draw(file_->frames[std::size_t(index)].values))
        view_->showFrame(frameImage(*renderer_));
}

void CPlayerWindow::updateControls(std::int64_t positionMs)
{
    if (!seek_->isSliderDown()) {
        syncingSlider_ = true;
        seek_->setValue(int(positionMs));
        syncingSlider_ = false;
    }
    elapsed_->setText(clockText(positionMs));
    const bool playing = playback_.isPlaying();
    play_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    play_->setToolTip(playing ? tr("Pause (Space)") : tr("Play (Space)"));
}

void CPlayerWindow::seekFromSlider(int value)
{
    if (syncingSlider_ || !file_)
        return;
    playback_.seek(value);
    refresh();
}

void CPlayerWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CPlayerWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opening may take a moment: the drag source is let go first.
    QTimer::singleShot(0, this, [this, path] { openFile(path); });
}
