#include "shell/LipSyncDialog.h"

#include "Common/ResourceIds.h"
#include "session/LipSyncFlow.h"
#include "shell/DialogButtons.h"
#include "shell/ResourceUi.h"
#include "shell/ShellDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LipSyncDialog::LipSyncDialog(ShellDialogs& dialogs, const QString& text, const QString& textFile,
                             QWidget* parent)
    : QDialog(parent), dialogs_(dialogs)
{
    setObjectName("LipSyncDialog");
    setWindowTitle(ResourceUi::text(res::kStrLipSyncTitle));
    auto* layout = new QVBoxLayout(this);

    auto* prompt = new QLabel(ResourceUi::text(res::kStrLipSyncPrompt), this);
    auto* note = new QLabel(ResourceUi::text(res::kStrLipSyncNote), this);
    note->setObjectName("note");
    note->setWordWrap(true);
    text_ = new QPlainTextEdit(text, this);
    text_->setObjectName("text");
    text_->setTabChangesFocus(true);
    text_->setPlaceholderText(ResourceUi::text(res::kStrLipSyncPlaceholder));
    prompt->setBuddy(text_);
    layout->addWidget(prompt);
    layout->addWidget(note);
    layout->addWidget(text_, 1);

    auto* fileRow = new QHBoxLayout;
    source_ = new QLabel(this);
    source_->setObjectName("source");
    source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* load = new QPushButton(ResourceUi::text(res::kStrLipSyncLoadText), this);
    load->setObjectName("loadText");
    load->setAutoDefault(false);
    connect(load, &QPushButton::clicked, this, &LipSyncDialog::loadTextFile);
    fileRow->addWidget(source_, 1);
    fileRow->addWidget(load);
    layout->addLayout(fileRow);
    words_ = new QCheckBox(ResourceUi::text(res::kStrLipSyncRecogniseWords), this);
    words_->setObjectName("recogniseWords");
    layout->addWidget(words_);
    connect(text_, &QPlainTextEdit::textChanged, this, &LipSyncDialog::updateWordsChoice);
    updateWordsChoice();
    layout->addSpacing(6);
    layout->addWidget(makeDialogButtons(this, 0));

    showSource(textFile);
    text_->setFocus();
    resize(480, 320);
}

QString LipSyncDialog::text() const
{
    return text_->toPlainText();
}

bool LipSyncDialog::recogniseWords() const
{
    return words_->isChecked();
}

void LipSyncDialog::setRecogniseWords(bool on)
{
    words_->setChecked(on);
}

// White space alone is no text, as for the analysis.
void LipSyncDialog::updateWordsChoice()
{
    words_->setEnabled(text_->toPlainText().trimmed().isEmpty());
}

void LipSyncDialog::loadTextFile()
{
    const std::optional<QString> file = dialogs_.openFile(res::kStrTitleOpenText, res::kStrFilterText);
    if (!file)
        return;
    std::string script;
    CoreStatus status;
    if (!readScriptFile(file->toStdString(), script, status)) {
        dialogs_.showStatus(status);
        return;
    }
    text_->setPlainText(QString::fromUtf8(script.data(), static_cast<qsizetype>(script.size())));
    showSource(*file);
}

void LipSyncDialog::showSource(const QString& file)
{
    source_->setText(file.isEmpty() ? QString()
                                    : ResourceUi::format(res::kStrLipSyncTextFile,
                                                         QFileInfo(file).fileName().toUtf8().constData()));
    source_->setToolTip(file);
}
