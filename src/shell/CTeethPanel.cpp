#include "shell/CTeethPanel.h"

#include "Common/ResourceIds.h"
#include "documents/ProjectStore.h"
#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"
#include "images/CJpegPicture.h"
#include "shell/ResourceUi.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kTeethWidth = 64, kTeethHeight = 16;

// Same size and, compared 1,024 bytes at a time, the same bytes.
bool sameContent(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    if (a.empty() || b.empty() || fs::file_size(a, error) != fs::file_size(b, error) || error)
        return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    if (!first || !second)
        return false;
    char blockA[1024], blockB[1024];
    while (first && second) {
        first.read(blockA, sizeof blockA);
        second.read(blockB, sizeof blockB);
        if (first.gcount() != second.gcount() || !std::equal(blockA, blockA + first.gcount(), blockB))
            return false;
    }
    return true;
}

// The picture as 64 x 16 pixels, or a null image when it does not decode to exactly that size.
QImage teethImage(const QString& path)
{
    CJpegPicture picture;
    if (path.isEmpty() || !picture.loadFile(path.toStdString(), false) || picture.width() != kTeethWidth ||
        picture.height() != kTeethHeight)
        return QImage();
    QImage image(picture.pixels(), kTeethWidth, kTeethHeight, kTeethWidth * 4, QImage::Format_RGB32);
    return image.copy();
}

} // namespace

CTeethPanel::CTeethPanel(const fs::path& contentRoot, QWidget* parent) : QWidget(parent), contentRoot_(contentRoot)
{
    setObjectName("CTeethPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    list_ = new QTreeWidget(this);
    list_->setObjectName("teethList");
    list_->setColumnCount(3);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setIconSize(QSize(kTeethWidth, kTeethHeight));
    list_->setIndentation(0);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->installEventFilter(this);
    layout->addWidget(list_);
    connect(list_, &QTreeWidget::itemChanged, this, &CTeethPanel::onItemChanged);
    // A left or right click anywhere on a row checks it.
    connect(list_, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { checkEntry(list_->indexOfTopLevelItem(item)); });
    scan(true);
    rebuildRows();
}

fs::path CTeethPanel::teethFolder() const { return contentRoot_ / "Teeth"; }

int CTeethPanel::scan(bool fill)
{
    fs::path headTop, headBottom;
    if (store_) {
        headTop = store_->assetPath(AssetKind::teethTop);
        headBottom = store_->assetPath(AssetKind::teethBottom);
    }
    int count = 1;
    current_ = 0;
    if (fill) {
        upper_ = QStringList{QString()};
        lower_ = QStringList{QString()};
    }
    std::vector<fs::path> tops;
    std::error_code error;
    for (fs::directory_iterator it(teethFolder(), error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".top" && it->is_regular_file(error))
            tops.push_back(it->path());
    std::sort(tops.begin(), tops.end()); // the same order on every file system
    for (const fs::path& top : tops) {
        fs::path bottom = fs::path(top).replace_extension(".btm");
        if (!fs::is_regular_file(bottom, error))
            continue;
        if (fill) {
            upper_ << QString::fromStdString(top.string());
            lower_ << QString::fromStdString(bottom.string());
        }
        if (sameContent(headTop, top) && sameContent(headBottom, bottom))
            current_ = count;
        ++count;
    }
    if (current_ >= entryCount())
        current_ = 0;
    return count;
}

void CTeethPanel::rebuildRows()
{
    updating_ = true;
    list_->clear();
    for (int i = 0; i < entryCount(); ++i) {
        auto* item = new QTreeWidgetItem(list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setText(0, i == 0 ? ResourceUi::text(res::kStrNoTeeth) : QFileInfo(upper_[i]).completeBaseName());
        item->setCheckState(0, Qt::Unchecked);
        if (i > 0) {
            QImage top = teethImage(upper_[i]), bottom = teethImage(lower_[i]);
            if (!top.isNull())
                item->setIcon(1, QIcon(QPixmap::fromImage(top)));
            if (!bottom.isNull())
                item->setIcon(2, QIcon(QPixmap::fromImage(bottom)));
        }
        item->setSizeHint(1, QSize(kTeethWidth + 8, kTeethHeight + 6));
    }
    list_->resizeColumnToContents(0);
    list_->setColumnWidth(1, kTeethWidth + 4);
    list_->setColumnWidth(2, kTeethWidth + 4);
    updating_ = false;
    showCheck();
}

void CTeethPanel::showCheck()
{
    updating_ = true;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        list_->topLevelItem(i)->setCheckState(0, i == current_ ? Qt::Checked : Qt::Unchecked);
    if (QTreeWidgetItem* item = list_->topLevelItem(current_))
        list_->setCurrentItem(item);
    updating_ = false;
}

void CTeethPanel::setModel(CHeadModel* model)
{
    model_ = model;
    if (model_)
        loadPictures(current_);
}

bool CTeethPanel::loadPictures(int entry)
{
    if (!model_ || entry < 0 || entry >= entryCount())
        return false;
    bool ok = true;
    const QString* paths[] = {&upper_[entry], &lower_[entry]};
    for (int side = 0; side < 2; ++side) {
        int slot = side + 1;
        if (paths[side]->isEmpty()) {
            std::vector<std::uint32_t> zeros(kTeethWidth * kTeethHeight, 0u);
            HeadModelLock lock(*model_);
            model_->writeSlotPixels(slot, zeros.data());
            continue;
        }
        CJpegPicture picture;
        if (!picture.loadFile(paths[side]->toStdString(), false) || picture.width() != kTeethWidth ||
            picture.height() != kTeethHeight) {
            ok = false; // the slot keeps what it had
            continue;
        }
        HeadModelLock lock(*model_);
        model_->writeSlotPixels(slot, reinterpret_cast<const std::uint32_t*>(picture.pixels()));
    }
    return ok;
}

void CTeethPanel::checkEntry(int entry)
{
    if (entry < 0 || entry >= entryCount())
        return;
    if (entry != current_) {
        current_ = entry;
        loadPictures(entry);
        modified_ = true;
        emit teethChanged(currentUpperPath(), currentLowerPath());
    }
    showCheck();
}

void CTeethPanel::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (updating_ || column != 0)
        return;
    int row = list_->indexOfTopLevelItem(item);
    // Unchecking the current row checks it again: a row is left only by checking another one.
    checkEntry(item->checkState(0) == Qt::Checked ? row : current_);
}

bool CTeethPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            int step = key->key() == Qt::Key_Up ? -1 : 1;
            int target = current_ + step;
            if (target >= 0 && target < entryCount())
                checkEntry(target);
            else
                showCheck(); // the first or last row keeps its check
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString CTeethPanel::currentUpperPath() const { return upper_.value(current_); }

QString CTeethPanel::currentLowerPath() const { return lower_.value(current_); }

void CTeethPanel::refresh()
{
    scan(false);
    QString top = store_ ? QString::fromStdString(store_->assetPath(AssetKind::teethTop)) : QString();
    if (current_ == 0 && !top.isEmpty() && askName_) {
        std::optional<QString> name = askName_();
        // The name becomes a file name inside "Teeth": a folder part would write elsewhere.
        bool safe = name && !name->isEmpty() && !name->contains('/') && !name->contains('\\') && *name != "." &&
                    *name != "..";
        if (safe) {
            std::error_code error;
            fs::create_directories(teethFolder(), error);
            if (fs::is_directory(teethFolder(), error)) {
                std::string base = name->left(256).toStdString();
                QString bottom = QString::fromStdString(store_->assetPath(AssetKind::teethBottom));
                bool copied = fs::copy_file(top.toStdString(), teethFolder() / (base + ".top"),
                                            fs::copy_options::overwrite_existing, error);
                if (copied && !bottom.isEmpty())
                    copied = fs::copy_file(bottom.toStdString(), teethFolder() / (base + ".btm"),
                                           fs::copy_options::overwrite_existing, error);
                if (copied) {
                    scan(true);
                    rebuildRows();
                }
            }
        }
    }
    showCheck();
    loadPictures(current_);
}
