#include "timeline/ui/CTrackRegionWnd.h"

#include "timeline/TimelineData.h"
#include "timeline/ui/TrackDialogs.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kAutoScrollMs = 50;
constexpr int kDragEdgePixels = 20;

unsigned rowsOfChanges(unsigned changes)
{
    unsigned rows = 0;
    if (changes & kVisemesChanged)
        rows |= 1u << kVisemeRow;
    if (changes & kExpressionsChanged)
        rows |= 1u << kExpressionRow;
    if (changes & kHeadTurnsChanged)
        rows |= 1u << kHeadTurnRow;
    if (changes & kEventsChanged)
        rows |= 1u << kEventRow;
    if (changes & kSoundsChanged)
        rows |= 1u << kSoundRow;
    if (changes & kVoiceChanged)
        rows = 0xFF;
    return rows;
}

bool parseEntry(const QMimeData* mime, LibraryKind& kind, int& index)
{
    if (!mime || !mime->hasFormat(kLibraryMimeType))
        return false;
    const QList<QByteArray> parts = mime->data(kLibraryMimeType).split(' ');
    if (parts.size() != 2)
        return false;
    bool kindOk = false, indexOk = false;
    const int k = parts[0].toInt(&kindOk);
    index = parts[1].toInt(&indexOk);
    if (!kindOk || !indexOk || k < 0 || k > 3 || index < 0)
        return false;
    kind = LibraryKind(k);
    return true;
}

QString fieldString(const char* field, std::size_t size)
{
    return QString::fromUtf8(field, int(strnlen(field, size)));
}

} // namespace

CTrackRegionWnd::CTrackRegionWnd(TimelineData& timeline, QWidget* parent)
    : QWidget(parent), timeline_(timeline), view_(timeline), undo_(timeline), editor_(timeline, view_, undo_)
{
    setObjectName(QStringLiteral("TrackRegion"));
    setWindowTitle(QStringLiteral("TrackRegion"));
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 220);
    style_.font = QFont(QStringLiteral("Tahoma"));
    style_.font.setPixelSize(11);
    style_.clipLength = [this](const std::string& name) { return clipLengthByName(name); };

    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setSingleStep(TrackView::kLinePixels);
    connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
        // The thumb is a client width long, but a page step moves half of it.
        if (action == QAbstractSlider::SliderPageStepAdd)
            scrollBar_->setSliderPosition(view_.scrollPosition() + view_.clientWidth() / 2);
        else if (action == QAbstractSlider::SliderPageStepSub)
            scrollBar_->setSliderPosition(view_.scrollPosition() - view_.clientWidth() / 2);
    });
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (syncingScroll_)
            return;
        if (view_.scrollTo(value)) {
            dirtyRows_ = 0xFF;
            update();
        }
    });
    autoScroll_ = new QTimer(this);
    autoScroll_->setInterval(kAutoScrollMs);
    connect(autoScroll_, &QTimer::timeout, this, &CTrackRegionWnd::autoScrollTick);

    view_.zoom(TrackView::kDefaultSamplesPerPixel);
    timeline_.setSelection(0, 0);
    timeline_.addObserver(this);
}

CTrackRegionWnd::~CTrackRegionWnd()
{
    timeline_.removeObserver(this);
}

void CTrackRegionWnd::setLibrary(const LibraryActions* library)
{
    library_ = library;
    dirtyRows_ |= 1u << kSoundRow;
    update();
}

void CTrackRegionWnd::zoom(int n)
{
    view_.zoom(n);
    syncScrollBar();
    redrawAllRows();
}

void CTrackRegionWnd::setIndicatorColor(std::uint32_t bgr)
{
    style_.indicator = colorFromSetting(bgr);
    update();
}

void CTrackRegionWnd::setAmplitudeColor(std::uint32_t bgr)
{
    style_.amplitude = colorFromSetting(bgr);
    dirtyRows_ |= 1u << kWaveformRow;
    update();
}

void CTrackRegionWnd::setTimeDisplayMode(int mode)
{
    view_.setTimeDisplayMode(mode);
    dirtyRows_ |= 1u << kRulerRow;
    update();
}

void CTrackRegionWnd::setUnmodified()
{
    undo_.setClean();
    afterInteraction();
}

void CTrackRegionWnd::resetForNewDocument()
{
    undo_.clear();
    editor_.clearActive();
    editor_.clearPendingDrop();
    peaks_.clear();
    view_.updateScroll();
    view_.zoom(0);
    syncScrollBar();
    redrawAllRows();
    afterInteraction();
    emit undoStateChanged();
}

void CTrackRegionWnd::tracksReplaced()
{
    editor_.clearActive();
    redrawAllRows();
    afterInteraction();
}

void CTrackRegionWnd::redrawAllRows()
{
    dirtyRows_ = 0xFF;
    update();
}

void CTrackRegionWnd::timelineChanged(unsigned changes)
{
    if (changes & kVoiceChanged) {
        view_.updateScroll();
        syncScrollBar();
    }
    dirtyRows_ |= rowsOfChanges(changes);
    if (changes & kCursorChanged)
        cursorMs_ = timeline_.cursor();
    update();
}

void CTrackRegionWnd::setPlaybackCursor(int milliseconds)
{
    if (milliseconds == cursorMs_)
        return;
    cursorMs_ = std::max(milliseconds, 0);
    update();
}

void CTrackRegionWnd::undo()
{
    editor_.undo();
    afterInteraction();
}

void CTrackRegionWnd::redo()
{
    editor_.redo();
    afterInteraction();
}

// ---- painting --------------------------------------------------------------------------------

void CTrackRegionWnd::resizeEvent(QResizeEvent*)
{
    const int bar = scrollBar_->sizeHint().height();
    const int area = std::max(0, height() - bar);
    scrollBar_->setGeometry(0, area, width(), bar);
    const bool wasFitted = view_.fitted();
    view_.setClientSize(width(), area);
    if (wasFitted)
        view_.zoom(0); // a fitted voice stays fitted as the panel is resized
    rebuildPictures();
    syncScrollBar();
}

void CTrackRegionWnd::rebuildPictures()
{
    const QSize size(std::max(view_.clientWidth(), 1), std::max(view_.clientHeight(), 1));
    rows_ = QImage(size, QImage::Format_RGB32);
    compose_ = QImage(size, QImage::Format_RGB32);
    rows_.fill(Qt::white);
    dirtyRows_ = 0xFF;
}

bool CTrackRegionWnd::readVoice(std::int64_t from, std::int64_t count, std::vector<std::int16_t>& samples)
{
    samples.clear();
    count = std::min<std::int64_t>(count, std::int64_t(timeline_.sampleCount()) - from);
    if (from < 0 || count <= 0 || !timeline_.openVoice(reader_))
        return false;
    bool ok = timeline_.seekSamples(std::uint32_t(from * 2));
    std::vector<std::uint8_t> bytes;
    if (ok)
        bytes = timeline_.readSamples(std::size_t(count) * 2);
    timeline_.closeVoice();
    if (bytes.size() != std::size_t(count) * 2)
        return false;
    samples.resize(std::size_t(count));
    std::memcpy(samples.data(), bytes.data(), bytes.size());
    return true;
}

void CTrackRegionWnd::composeFrame()
{
    if (rows_.isNull() || rows_.size() != QSize(std::max(view_.clientWidth(), 1), std::max(view_.clientHeight(), 1)))
        rebuildPictures();
    if (dirtyRows_) {
        if ((dirtyRows_ & (1u << kWaveformRow)) && timeline_.sampleCount() > 0 && !timeline_.voiceFile().empty() &&
            !peaks_.matches(timeline_.voiceFile(), timeline_.sampleCount()) &&
            view_.samplesPerPixel() >= WaveformPeaks::kBlock) {
            // Read once per voice; a voice that cannot be read leaves the row empty.
            if (!peaks_.build(timeline_, reader_))
                peaks_.clear();
        }
        style_.active = shownActive();
        QPainter painter(&rows_);
        const auto samples = [this](std::int64_t from, std::int64_t count, std::vector<std::int16_t>& out) {
            return readVoice(from, count, out);
        };
        for (int row = 0; row < kTrackRowCount; ++row)
            if (dirtyRows_ & (1u << row))
                paintTrackRow(painter, row, timeline_, view_, style_, &peaks_, samples);
        const int bottom = view_.row(kSoundRow).bottom();
        if (bottom < rows_.height())
            painter.fillRect(QRect(0, bottom, rows_.width(), rows_.height() - bottom), QColor(240, 240, 240));
        dirtyRows_ = 0;
    }
    std::memcpy(compose_.bits(), rows_.constBits(), std::size_t(rows_.sizeInBytes()));
    QPainter painter(&compose_);
    paintSelection(painter, timeline_, view_, style_, editor_.pendingDrop(), editor_.pendingRow());
}

QImage CTrackRegionWnd::composedImage()
{
    composeFrame();
    return compose_;
}

void CTrackRegionWnd::paintEvent(QPaintEvent*)
{
    composeFrame();
    QPainter painter(this);
    painter.drawImage(0, 0, compose_);
    if (cursorMs_ > 0) {
        const int x = view_.xOf(std::int64_t(cursorMs_) * 16);
        if (x >= 0 && x < view_.clientWidth()) {
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(QRect(x, 0, 1, view_.row(kSoundRow).bottom()), QColor(255, 255, 255));
        }
    }
}

void CTrackRegionWnd::syncScrollBar()
{
    syncingScroll_ = true;
    scrollBar_->setEnabled(view_.scrollEnabled());
    scrollBar_->setRange(0, view_.scrollMaximum());
    scrollBar_->setPageStep(std::max(1, view_.scrollPage()));
    scrollBar_->setValue(view_.scrollPosition());
    syncingScroll_ = false;
}

TrackHit CTrackRegionWnd::shownActive() const
{
    // The item being dragged is shown as the active one while it moves.
    TrackHit shown = editor_.dragging() ? editor_.hot() : editor_.active();
    shown.part = kNoPart;
    return shown;
}

// ---- the mouse -------------------------------------------------------------------------------

void CTrackRegionWnd::afterInteraction()
{
    TrackHit active = shownActive();
    active.part = kNoPart;
    if (!(active == style_.active)) {
        if (style_.active.valid())
            dirtyRows_ |= 1u << style_.active.row;
        if (active.valid())
            dirtyRows_ |= 1u << active.row;
    }
    if (scrollBar_->value() != view_.scrollPosition() || scrollBar_->maximum() != view_.scrollMaximum()) {
        syncScrollBar();
        dirtyRows_ = 0xFF;
    }
    emit statusTextChanged(QString::fromStdString(editor_.statusText()));
    if (editor_.modified() != lastModified_) {
        lastModified_ = editor_.modified();
        emit modifiedChanged(lastModified_);
    }
    emit undoStateChanged();
    update();
}

void CTrackRegionWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    lastMouseX_ = p.x();
    editor_.press(p.x(), p.y());
    if (editor_.dragging())
        setCursor(editor_.hot().part == kBodyPart ? Qt::SizeAllCursor : Qt::SizeHorCursor);
    autoScroll_->start();
    afterInteraction();
}

void CTrackRegionWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMouseX_ = p.x();
    if (editor_.buttonDown()) {
        editor_.drag(p.x(), p.y());
        afterInteraction();
        return;
    }
    switch (editor_.hover(p.x(), p.y())) {
    case TrackCursor::sizeLeftRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case TrackCursor::move:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void CTrackRegionWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !editor_.buttonDown())
        return;
    const QPoint p = event->position().toPoint();
    autoScroll_->stop();
    editor_.release(p.x(), p.y());
    unsetCursor();
    afterInteraction();
}

void CTrackRegionWnd::autoScrollTick()
{
    // The view keeps scrolling while the pressed pointer stays outside, as it would with more moves.
    if (!editor_.buttonDown()) {
        autoScroll_->stop();
        return;
    }
    if (editor_.autoScrollDirection(lastMouseX_) == 0)
        return;
    editor_.drag(lastMouseX_, editor_.dragging() ? view_.row(editor_.hot().row).top + 1 : 0);
    afterInteraction();
}

void CTrackRegionWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    const TrackHit item = editor_.doubleClick(p.x(), p.y());
    afterInteraction();
    if (item.valid())
        openItemDialog(item);
}

void CTrackRegionWnd::leaveEvent(QEvent*)
{
    editor_.leave();
}

// ---- keyboard and wheel ----------------------------------------------------------------------

void CTrackRegionWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo) ||
               (event->key() == Qt::Key_Z && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))) {
        redo();
    } else if (event->key() == Qt::Key_Delete) {
        editor_.deleteActive();
        afterInteraction();
    } else if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        editor_.moveSelection(event->key() == Qt::Key_Left ? -1 : 1);
        afterInteraction();
    } else if (event->key() == Qt::Key_Space) {
        emit playSelectionRequested(timeline_.selectionStart(), timeline_.selectionEnd());
    } else if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus) {
        view_.zoomAbout(view_.clientWidth() / 2, event->key() == Qt::Key_Plus);
        syncScrollBar();
        redrawAllRows();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void CTrackRegionWnd::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier)
        view_.zoomAbout(int(event->position().x()), steps > 0);
    else
        view_.scrollBy(-steps * 3 * TrackView::kLinePixels);
    syncScrollBar();
    redrawAllRows();
    event->accept();
}

// ---- drops -----------------------------------------------------------------------------------

int CTrackRegionWnd::clipIndexByName(const std::string& name) const
{
    for (int i = 0; library_ && i < library_->count(LibraryKind::soundClips); ++i)
        if (library_->name(LibraryKind::soundClips, i) == name)
            return i;
    return -1;
}

std::int32_t CTrackRegionWnd::clipLengthByName(const std::string& name) const
{
    const int index = clipIndexByName(name);
    return index >= 0 ? library_->clipLength(index) : 0;
}

bool CTrackRegionWnd::dropEntry(LibraryKind kind, int index, QPoint point, bool testOnly)
{
    bool accepted = false;
    switch (kind) {
    case LibraryKind::visemes:
        accepted = index < 15 && editor_.dropViseme(index, visemeShortNameOf(index), point.x(), point.y(), testOnly);
        break;
    case LibraryKind::expressions:
        accepted = index < 7 && editor_.dropExpression(index, expressionNameOf(index), point.x(), point.y(), testOnly);
        break;
    case LibraryKind::backgrounds:
        accepted = library_ && index < library_->count(kind) &&
                   editor_.dropImage(library_->name(kind, index), point.x(), point.y(), testOnly);
        break;
    case LibraryKind::soundClips:
        accepted = library_ && index < library_->count(kind) &&
                   editor_.dropSound(library_->name(kind, index), library_->clipLength(index), point.x(), point.y(),
                                     testOnly);
        break;
    }
    if (!testOnly) {
        editor_.clearPendingDrop();
        afterInteraction();
    } else {
        update();
    }
    return accepted;
}

void CTrackRegionWnd::dragEnterEvent(QDragEnterEvent* event)
{
    LibraryKind kind;
    int index = 0;
    if (parseEntry(event->mimeData(), kind, index)) {
        lastDragX_ = event->position().toPoint().x();
        event->acceptProposedAction();
    }
}

void CTrackRegionWnd::dragMoveEvent(QDragMoveEvent* event)
{
    LibraryKind kind;
    int index = 0;
    if (!parseEntry(event->mimeData(), kind, index)) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    if (kind == LibraryKind::backgrounds || kind == LibraryKind::soundClips) {
        // Near an edge and heading for it: the track area scrolls a line that way.
        bool scrolled = false;
        if (p.x() < kDragEdgePixels && p.x() < lastDragX_)
            scrolled = view_.lineLeft();
        else if (p.x() > view_.clientWidth() - kDragEdgePixels && p.x() > lastDragX_)
            scrolled = view_.lineRight();
        if (scrolled) {
            syncScrollBar();
            dirtyRows_ = 0xFF;
        }
    }
    lastDragX_ = p.x();
    if (dropEntry(kind, index, p, true))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTrackRegionWnd::dragLeaveEvent(QDragLeaveEvent*)
{
    editor_.clearPendingDrop();
    update();
}

void CTrackRegionWnd::dropEvent(QDropEvent* event)
{
    LibraryKind kind;
    int index = 0;
    if (parseEntry(event->mimeData(), kind, index) && dropEntry(kind, index, event->position().toPoint(), false))
        event->acceptProposedAction();
    else
        event->ignore();
    editor_.clearPendingDrop();
    update();
}

// ---- context menu and dialogs ----------------------------------------------------------------

QMenu* CTrackRegionWnd::buildRowMenu(int row, QWidget* parent)
{
    struct Entry {
        int command;
        const char* text;
    };
    auto* menu = new QMenu(parent);
    const bool holds = editor_.rowHoldsActive(row);
    auto add = [&](int command, const QString& text, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setData(command);
        action->setEnabled(enabled);
    };
    // Each track's two dialog commands: insert when the row has no active item, edit when it has.
    switch (row) {
    case kVisemeRow:
        add(32799, tr("Insert Viseme..."), !holds);
        add(32870, tr("Viseme Properties..."), holds);
        menu->addSeparator();
        add(32798, tr("Delete"), true);
        add(32857, tr("Remove All Visemes"), timeline_.visemes().count() > 0);
        break;
    case kExpressionRow:
        add(32831, tr("Insert Expression..."), !holds);
        add(32869, tr("Expression Properties..."), holds);
        menu->addSeparator();
        add(32832, tr("Delete"), true);
        add(32858, tr("Remove All Expressions"), timeline_.expressions().count() > 0);
        break;
    case kHeadTurnRow:
        add(32859, tr("Insert Head Turn..."), !holds);
        add(32868, tr("Head Turn Properties..."), holds);
        menu->addSeparator();
        add(32860, tr("Delete"), true);
        add(32861, tr("Remove All Head Turns"), timeline_.headTurns().count() > 0);
        break;
    case kEventRow:
        add(32864, tr("Insert Script Command..."), true);
        add(32890, tr("Insert Background Image..."), library_ && library_->count(LibraryKind::backgrounds) > 0);
        add(32955, tr("Insert Marker..."), true);
        add(32867, tr("Event Properties..."), holds);
        menu->addSeparator();
        add(32865, tr("Delete"), true);
        add(32866, tr("Remove All Script Commands"), timeline_.eventCount(kScriptEvent) > 0);
        add(32893, tr("Remove All Background Images"), timeline_.eventCount(kImageEvent) > 0);
        add(32957, tr("Remove All Markers"), timeline_.eventCount(kMarkerEvent) > 0);
        break;
    case kSoundRow:
        add(32997, tr("Insert Sound..."), !holds && library_ && library_->count(LibraryKind::soundClips) > 0);
        add(32998, tr("Sound Properties..."), holds);
        menu->addSeparator();
        add(32999, tr("Delete"), true);
        add(33000, tr("Remove All Sounds"), timeline_.sounds().count() > 0);
        break;
    default:
        delete menu;
        return nullptr;
    }
    connect(menu, &QMenu::triggered, this, [this](QAction* action) { runCommand(action->data().toInt()); });
    return menu;
}

void CTrackRegionWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = buildRowMenu(view_.rowAt(event->pos().y()), this);
    if (!menu)
        return;
    menu->exec(event->globalPos());
    delete menu;
}

void CTrackRegionWnd::openItemDialog(const TrackHit& item)
{
    static const int kEditCommands[kTrackRowCount] = {0, 0, 32870, 32869, 32868, 32867, 32998};
    if (item.row >= kVisemeRow && item.row <= kSoundRow)
        runCommand(kEditCommands[item.row]);
}

void CTrackRegionWnd::runCommand(int command)
{
    const TrackHit active = editor_.active();
    switch (command) {
    case 32799:
    case 32870: {
        int viseme = 0, weight = 50;
        if (const VisemeItem* item = active.row == kVisemeRow ? timeline_.visemes().item(active.index) : nullptr) {
            viseme = item->viseme < 15 ? item->viseme : 0;
            weight = item->weight;
        }
        if (askViseme(this, viseme, weight))
            editor_.insertViseme(viseme, visemeShortNameOf(viseme), weight);
        break;
    }
    case 32831:
    case 32869: {
        int expression = 1, intensity = 50;
        if (const ExpressionItem* item = active.row == kExpressionRow ? timeline_.expressions().item(active.index)
                                                                      : nullptr) {
            expression = int(std::min<std::uint32_t>(item->expression, 6));
            intensity = item->intensity;
        }
        if (askExpression(this, expression, intensity))
            editor_.insertExpression(expression, expressionNameOf(expression), intensity);
        break;
    }
    case 32859:
    case 32868: {
        // Start from the key that is the selection, else from the first key ending after its start.
        int a = 0, b = 0, c = 0;
        const HeadTurnKey* from = nullptr;
        for (const HeadTurnKey& key : timeline_.headTurns().records())
            if (std::int32_t(key.start) == timeline_.selectionStart() &&
                std::int32_t(key.end) == timeline_.selectionEnd())
                from = &key;
        for (const HeadTurnKey& key : timeline_.headTurns().records())
            if (!from && std::int64_t(key.end) > timeline_.selectionStart())
                from = &key;
        if (from) {
            a = from->angle_a;
            b = from->angle_b;
            c = from->angle_c;
        }
        if (askHeadTurn(this, a, b, c))
            editor_.insertHeadTurn(a, b, c);
        break;
    }
    case 32867: {
        const EventItem* event = active.row == kEventRow ? timeline_.events().item(active.index) : nullptr;
        if (!event)
            break;
        if (event->kind == kScriptEvent) {
            std::uint32_t choice = event->script.choice;
            std::string type = fieldString(event->script.type, sizeof event->script.type).toStdString();
            std::string parameter = fieldString(event->script.parameter, sizeof event->script.parameter).toStdString();
            if (askScriptCommand(this, choice, type, parameter))
                editor_.editActiveScript(choice, type, parameter);
        } else if (event->kind == kImageEvent) {
            QStringList pictures;
            int index = 0;
            const QString current = fieldString(event->name, sizeof event->name);
            for (int i = 0; library_ && i < library_->count(LibraryKind::backgrounds); ++i) {
                pictures << QString::fromStdString(library_->name(LibraryKind::backgrounds, i));
                if (pictures.back() == current)
                    index = i;
            }
            if (askPicture(this, pictures, index))
                editor_.editActiveEventName(pictures[index].toStdString());
        } else {
            std::string name = fieldString(event->name, sizeof event->name).toStdString();
            if (askEventName(this, tr("Marker"), name))
                editor_.editActiveEventName(name);
        }
        break;
    }
    case 32864: {
        std::uint32_t choice = 0;
        std::string type, parameter;
        if (askScriptCommand(this, choice, type, parameter))
            editor_.insertScript(choice, type, parameter);
        break;
    }
    case 32890: {
        QStringList pictures;
        for (int i = 0; library_ && i < library_->count(LibraryKind::backgrounds); ++i)
            pictures << QString::fromStdString(library_->name(LibraryKind::backgrounds, i));
        int index = 0;
        if (askPicture(this, pictures, index))
            editor_.insertImageEvent(pictures[index].toStdString());
        break;
    }
    case 32955: {
        std::string name;
        if (askEventName(this, tr("Marker"), name))
            editor_.insertMarker(name);
        break;
    }
    case 32997:
    case 32998: {
        QStringList clips;
        for (int i = 0; library_ && i < library_->count(LibraryKind::soundClips); ++i)
            clips << QString::fromStdString(library_->name(LibraryKind::soundClips, i));
        int clip = 0, volume = 100;
        if (const SoundItem* item = active.row == kSoundRow ? timeline_.sounds().item(active.index) : nullptr) {
            clip = std::max(0, clipIndexByName(fieldString(item->name, sizeof item->name).toStdString()));
            volume = item->volume;
        }
        if (askSound(this, clips, clip, volume))
            editor_.insertSound(clips[clip].toStdString(), library_->clipLength(clip), volume);
        break;
    }
    case 32798:
        editor_.deleteOnRow(kVisemeRow);
        break;
    case 32832:
        editor_.deleteOnRow(kExpressionRow);
        break;
    case 32860:
        editor_.deleteOnRow(kHeadTurnRow);
        break;
    case 32865:
        editor_.deleteOnRow(kEventRow);
        break;
    case 32999:
        editor_.deleteOnRow(kSoundRow);
        break;
    case 32857:
        editor_.removeAllOnRow(kVisemeRow);
        break;
    case 32858:
        editor_.removeAllOnRow(kExpressionRow);
        break;
    case 32861:
        editor_.removeAllOnRow(kHeadTurnRow);
        break;
    case 33000:
        editor_.removeAllOnRow(kSoundRow);
        break;
    case 32866:
        editor_.removeAllEvents(kScriptEvent);
        break;
    case 32893:
        editor_.removeAllEvents(kImageEvent);
        break;
    case 32957:
        editor_.removeAllEvents(kMarkerEvent);
        break;
    default:
        break;
    }
    afterInteraction();
}
