#include "shell/ExportDialog.h"

#include "Common/ResourceIds.h"
#include "export/StockProfiles.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr unsigned kMsgChooseProfile = 136;
constexpr int kIndent = 22; // the profile list sits under its radio button's text

} // namespace

ExportDialog::ExportDialog(ShellDialogs& dialogs, const ExportOptions& options, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs)
{
    constexpr unsigned id = res::kDialogExport;
    auto text = [](unsigned control) { return ResourceUi::dialogText(id, control); };
    setObjectName("ExportDialog");
    setWindowTitle(text(0));
    auto* layout = new QVBoxLayout(this);

    auto* kind = new QGroupBox(text(1051), this);
    auto* grid = new QGridLayout(kind);
    video_ = new QRadioButton(text(1054), kind);
    video_->setObjectName("1054");
    listLabel_ = new QLabel(text(1053), kind);
    profiles_ = new QListWidget(kind);
    profiles_->setObjectName("1053");
    listLabel_->setBuddy(profiles_);
    for (const StockProfile& row : stockProfiles())
        profiles_->addItem(QString::fromUtf8(row.name));
    // Every name shows at once: the list never scrolls.
    profiles_->setFixedHeight(profiles_->sizeHintForRow(0) * kStockProfileCount +
                              2 * profiles_->frameWidth() + 4);
    profiles_->setCurrentRow(options.profile);
    if (options.profile < 0)
        profiles_->clearSelection();
    stream_ = new QRadioButton(text(1055), kind);
    stream_->setObjectName("1055");
    grid->addWidget(video_, 0, 0, 1, 2);
    grid->addWidget(listLabel_, 1, 1);
    grid->addWidget(profiles_, 2, 1);
    grid->addWidget(stream_, 3, 0, 1, 2);
    grid->setColumnMinimumWidth(0, kIndent);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(3, profiles_->sizeHintForRow(0) + 8);
    layout->addWidget(kind);

    page_ = new QCheckBox(text(1100), this);
    page_->setObjectName("1100");
    page_->setChecked(options.writePage);
    layout->addWidget(page_);
    layout->addSpacing(6);
    layout->addWidget(makeDialogButtons(this, id));

    (options.kind == ExportKind::video ? video_ : stream_)->setChecked(true);
    connect(video_, &QRadioButton::toggled, this, [this] { kindChanged(); });
    kindChanged();
}

void ExportDialog::kindChanged()
{
    const bool video = video_->isChecked();
    profiles_->setEnabled(video);
    listLabel_->setEnabled(video);
}

ExportOptions ExportDialog::options() const
{
    ExportOptions chosen;
    chosen.kind = video_->isChecked() ? ExportKind::video : ExportKind::stream;
    const QList<QListWidgetItem*> picked = profiles_->selectedItems();
    chosen.profile = picked.isEmpty() ? -1 : profiles_->row(picked.front());
    chosen.writePage = page_->isChecked();
    return chosen;
}

void ExportDialog::accept()
{
    const ExportOptions chosen = options();
    if (chosen.kind == ExportKind::video && chosen.profile < 0) {
        dialogs_.showMessage(ResourceUi::text(kMsgChooseProfile), ShellDialogs::Icon::warning);
        return;
    }
    QDialog::accept();
}
