#include "timeline/ui/CLibraryListWnd.h"

#include "Common/ResourceLibrary.h"
#include "audio/SoundClip.h"
#include "images/CJpegPicture.h"
#include "timeline/ui/CTrackRegionWnd.h"
#include "timeline/ui/LibraryIcons.h"
#include "timeline/ui/TrackDialogs.h"

#include <QDrag>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// What the user reads when the resource library lacks a text.
QString fallbackPattern(unsigned id)
{
    switch (id) {
    case kLibraryImageUnreadable:
        return QStringLiteral("The picture %s cannot be read.");
    case kLibraryImageSize:
        return QStringLiteral("The picture must be exactly %d x %d pixels.");
    case kLibraryConversionFailed:
        return QStringLiteral("The sound could not be converted.");
    case kLibraryListFull:
        return QStringLiteral("The list cannot hold more than %d entries.");
    case kLibraryNameTaken:
        return QStringLiteral("The name %s is already used.");
    default:
        return QStringLiteral("String %1").arg(id);
    }
}

constexpr int kDurationRole = Qt::UserRole + 1;

// Sound clips show their duration right-aligned beside the name, which alone is edited.
class DurationDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shortened = option;
        const QString duration = index.data(kDurationRole).toString();
        const int room = option.fontMetrics.horizontalAdvance(duration) + 12;
        shortened.rect.setRight(option.rect.right() - room);
        QStyledItemDelegate::paint(painter, option, QModelIndex());
        QStyledItemDelegate::paint(painter, shortened, index);
        painter->save();
        painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                              : option.palette.text().color());
        painter->drawText(option.rect.adjusted(0, 0, -4, 0), Qt::AlignVCenter | Qt::AlignRight, duration);
        painter->restore();
    }
};

} // namespace

QIcon CLibraryListWnd::pictureIcon(const std::string& path)
{
    const QString key = QString::fromStdString(path);
    const auto known = thumbnails_.constFind(key);
    if (known != thumbnails_.constEnd())
        return *known;
    QIcon icon;
    CJpegPicture picture;
    if (!path.empty() && picture.loadFile(path, false)) {
        // The pixels are blue, green, red, alpha in memory: a 32-bit value 0xAARRGGBB.
        const QImage image(picture.pixels(), picture.width(), picture.height(), picture.width() * 4,
                           QImage::Format_RGB32);
        icon = QIcon(QPixmap::fromImage(image.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    thumbnails_.insert(key, icon);
    return icon;
}

LibraryListView::LibraryListView(LibraryKind kind, QWidget* parent) : QListWidget(parent), kind_(kind)
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QMimeData* LibraryListView::entryMimeData(int index) const
{
    const QListWidgetItem* entry = item(index);
    if (!entry || entry->data(Qt::UserRole).toInt() < 0)
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(kLibraryMimeType, QByteArray::number(int(kind_)) + ' ' + QByteArray::number(index));
    mime->setText(entry->text());
    return mime;
}

QPixmap LibraryListView::dragPixmap(int index) const
{
    const QListWidgetItem* entry = item(index);
    if (!entry)
        return {};
    const QPixmap icon = entry->icon().pixmap(kind_ == LibraryKind::expressions ? 28 : 16);
    const QFontMetrics metrics(font());
    const QString text = metrics.elidedText(entry->text().section('\t', 0, 0), Qt::ElideRight, 160);
    QPixmap pixmap(icon.width() + metrics.horizontalAdvance(text) + 10, std::max(icon.height(), metrics.height()) + 4);
    pixmap.fill(QColor(255, 255, 255, 200));
    QPainter p(&pixmap);
    p.drawPixmap(2, (pixmap.height() - icon.height()) / 2, icon);
    p.setPen(Qt::black);
    p.drawText(QRect(icon.width() + 6, 0, pixmap.width(), pixmap.height()), Qt::AlignVCenter, text);
    p.setPen(QColor(120, 120, 120));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

void LibraryListView::startDrag(Qt::DropActions)
{
    const int index = currentRow();
    QMimeData* mime = entryMimeData(index);
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(dragPixmap(index));
    drag->setHotSpot(QPoint(8, 8));
    drag->exec(Qt::CopyAction);
}

CLibraryListWnd::CLibraryListWnd(LibraryKind kind, LibraryActions* actions, QWidget* parent)
    : QWidget(parent), kind_(kind), actions_(actions)
{
    static const char* const kNames[4] = {"Visemes", "Expressions", "Background Images", "Sound Clips"};
    setObjectName(QString::fromLatin1(kNames[int(kind)]));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    list_ = new LibraryListView(kind, this);
    const bool collection = kind == LibraryKind::backgrounds || kind == LibraryKind::soundClips;
    if (collection) {
        auto* buttons = new QHBoxLayout;
        auto button = [&](const QString& text, const QString& tip) {
            auto* b = new QToolButton(this);
            b->setText(text);
            b->setToolTip(tip);
            buttons->addWidget(b);
            return b;
        };
        addButton_ = button(tr("Add..."), tr("Add files to the list"));
        removeButton_ = button(tr("Remove"), tr("Remove the selected entry and its items on the timeline"));
        upButton_ = button(tr("Up"), tr("Move the selected entry up"));
        downButton_ = button(tr("Down"), tr("Move the selected entry down"));
        buttons->addStretch(1);
        layout->addLayout(buttons);
        connect(addButton_, &QToolButton::clicked, this, &CLibraryListWnd::add);
        connect(removeButton_, &QToolButton::clicked, this, &CLibraryListWnd::removeSelected);
        connect(upButton_, &QToolButton::clicked, this, [this] { moveSelected(-1); });
        connect(downButton_, &QToolButton::clicked, this, [this] { moveSelected(1); });
        connect(list_, &QListWidget::currentRowChanged, this, &CLibraryListWnd::updateButtons);
        connect(list_, &QListWidget::itemChanged, this, &CLibraryListWnd::entryEdited);
        list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    }
    if (kind == LibraryKind::expressions) {
        list_->setViewMode(QListView::IconMode);
        list_->setIconSize(QSize(28, 28));
        list_->setGridSize(QSize(76, 52));
        list_->setMovement(QListView::Static);
        list_->setResizeMode(QListView::Adjust);
        list_->setWordWrap(true);
    } else if (kind == LibraryKind::backgrounds) {
        list_->setIconSize(QSize(32, 32));
    } else {
        list_->setIconSize(QSize(16, 16));
    }
    if (kind == LibraryKind::soundClips)
        list_->setItemDelegate(new DurationDelegate(list_));
    layout->addWidget(list_, 1);
    chooseFiles_ = [this] {
        const bool pictures = kind_ == LibraryKind::backgrounds;
        return QFileDialog::getOpenFileNames(this, pictures ? tr("Add Background Images") : tr("Add Sound Clips"),
                                             QString(),
                                             pictures ? tr("JPEG pictures (*.jpg *.jpeg)") : tr("Sounds (*.wav)"));
    };
    report_ = [this](const CoreStatus& status) { QMessageBox::warning(this, windowTitle(), failureText(status)); };
    rebuild();
}

QString CLibraryListWnd::failureText(const CoreStatus& status) const
{
    if (status.fileError != CoreStatus::FileError::none)
        return QString::fromStdString(fileErrorText(status.fileError, status.path));
    std::optional<std::string> pattern = resources_ ? resources_->text(status.messageId) : std::nullopt;
    const std::string text = formatMessage(pattern ? *pattern : fallbackPattern(status.messageId).toStdString(),
                                           status.arguments);
    return QString::fromStdString(text);
}

void CLibraryListWnd::report(const CoreStatus& status)
{
    if (status.failed() && status.messageId != kLibraryCancelled && report_)
        report_(status);
}

void CLibraryListWnd::rebuild()
{
    rebuilding_ = true;
    const int current = list_->currentRow();
    list_->clear();
    switch (kind_) {
    case LibraryKind::visemes: {
        const QStringList names = visemeDisplayNames();
        for (int i = 0; i < names.size(); ++i) {
            auto* entry = new QListWidgetItem(QIcon(visemeIcon(i)), names[i], list_);
            entry->setData(Qt::UserRole, i);
        }
        break;
    }
    case LibraryKind::expressions: {
        const QStringList names = expressionDisplayNames();
        for (int i = 0; i < names.size(); ++i) {
            auto* entry = new QListWidgetItem(QIcon(expressionIcon(i)), names[i].left(9), list_);
            entry->setData(Qt::UserRole, i);
            entry->setTextAlignment(Qt::AlignHCenter);
        }
        break;
    }
    case LibraryKind::backgrounds:
    case LibraryKind::soundClips: {
        const int count = actions_ ? actions_->count(kind_) : 0;
        const bool pictures = kind_ == LibraryKind::backgrounds;
        for (int i = 0; i < count; ++i) {
            QString text = QString::fromStdString(actions_->name(kind_, i));
            auto* entry = new QListWidgetItem(list_);
            entry->setData(Qt::UserRole, i);
            entry->setFlags(entry->flags() | Qt::ItemIsEditable | (pictures ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
            if (pictures) {
                entry->setCheckState(actions_->selectedBackground() == i ? Qt::Checked : Qt::Unchecked);
                entry->setIcon(pictureIcon(actions_->path(kind_, i)));
            } else {
                entry->setData(kDurationRole, QString::fromStdString(durationText(actions_->clipLength(i))));
            }
            entry->setText(text);
        }
        if (pictures) {
            // The extra entry at the end stands for no picture behind the head.
            auto* none = new QListWidgetItem(tr("(No image)"), list_);
            none->setData(Qt::UserRole, -1);
            none->setFlags((none->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsDragEnabled);
            none->setCheckState(actions_ && actions_->selectedBackground() < 0 ? Qt::Checked : Qt::Unchecked);
        }
        break;
    }
    }
    list_->setCurrentRow(std::min(current, list_->count() - 1));
    rebuilding_ = false;
    updateButtons();
}

void CLibraryListWnd::updateButtons()
{
    if (!addButton_)
        return;
    const int row = list_->currentRow();
    const int count = actions_ ? actions_->count(kind_) : 0;
    addButton_->setEnabled(actions_ && count < kLibraryCapacity);
    removeButton_->setEnabled(row >= 0 && row < count);
    upButton_->setEnabled(row > 0 && row < count);
    downButton_->setEnabled(row >= 0 && row + 1 < count);
}

void CLibraryListWnd::add()
{
    addFiles(chooseFiles_ ? chooseFiles_() : QStringList());
}

int CLibraryListWnd::addFiles(const QStringList& files)
{
    if (!actions_)
        return 0;
    int added = 0;
    for (const QString& file : files) {
        CoreStatus status;
        if (actions_->count(kind_) >= kLibraryCapacity) {
            status.setMessage(kLibraryListFull, {kLibraryCapacity});
            report(status);
            break;
        }
        const std::filesystem::path path = file.toStdString();
        const bool ok = kind_ == LibraryKind::backgrounds ? actions_->addBackground(path, status)
                                                           : actions_->addSoundClip(path, status);
        if (ok)
            ++added;
        else
            report(status);
    }
    if (added) {
        rebuild();
        list_->setCurrentRow(actions_->count(kind_) - 1);
        emit modified();
    }
    return added;
}

bool CLibraryListWnd::removeSelected()
{
    const int row = list_->currentRow();
    if (!actions_ || row < 0 || row >= actions_->count(kind_))
        return false;
    CoreStatus status;
    if (!actions_->remove(kind_, row, status)) {
        report(status);
        return false;
    }
    rebuild();
    emit modified();
    return true;
}

bool CLibraryListWnd::moveSelected(int delta)
{
    const int row = list_->currentRow();
    if (!actions_ || !actions_->move(kind_, row, delta))
        return false;
    rebuild();
    list_->setCurrentRow(row + delta);
    emit modified();
    return true;
}

bool CLibraryListWnd::renameEntry(int index, const QString& name)
{
    if (!actions_ || index < 0 || index >= actions_->count(kind_))
        return false;
    CoreStatus status;
    const bool ok = actions_->rename(kind_, index, name.trimmed().toStdString(), status);
    if (!ok)
        report(status);
    rebuild();
    list_->setCurrentRow(index);
    if (ok)
        emit modified();
    return ok;
}

void CLibraryListWnd::entryEdited(QListWidgetItem* item)
{
    if (rebuilding_ || !item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    if (kind_ == LibraryKind::backgrounds && item->checkState() == Qt::Checked &&
        (index < 0 ? actions_->selectedBackground() >= 0 : actions_->selectedBackground() != index)) {
        checkEntry(index < 0 ? list_->count() - 1 : index);
        return;
    }
    if (kind_ == LibraryKind::backgrounds && item->checkState() == Qt::Unchecked &&
        actions_->selectedBackground() == index) {
        // One box is always checked: unchecking the current one leaves it checked.
        rebuild();
        return;
    }
    if (index >= 0 && item->text().toStdString() != actions_->name(kind_, index)) {
        // Renaming from inside the list's own signal would rebuild it under the editor's feet.
        const QString name = item->text();
        QMetaObject::invokeMethod(this, [this, index, name] { renameEntry(index, name); }, Qt::QueuedConnection);
    }
}

bool CLibraryListWnd::checkEntry(int index)
{
    if (!actions_ || kind_ != LibraryKind::backgrounds || index < 0 || index > actions_->count(kind_))
        return false;
    const int picture = index == actions_->count(kind_) ? -1 : index;
    if (!actions_->selectBackground(picture))
        return false;
    rebuild();
    emit backgroundChosen(picture);
    emit modified();
    return true;
}
