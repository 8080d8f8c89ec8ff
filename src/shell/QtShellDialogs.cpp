#include "shell/QtShellDialogs.h"

#include "Common/ResourceIds.h"
#include "session/SessionMessages.h"
#include "shell/AboutDialog.h"
#include "shell/LipSyncDialog.h"
#include "shell/NameDialog.h"
#include "shell/NewDialog.h"
#include "shell/OptionsDialog.h"
#include "shell/ResourceUi.h"
#include "shell/SummaryDialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(ShellDialogs::Icon icon)
{
    switch (icon) {
    case ShellDialogs::Icon::information: return QMessageBox::Information;
    case ShellDialogs::Icon::warning: return QMessageBox::Warning;
    case ShellDialogs::Icon::question: return QMessageBox::Question;
    case ShellDialogs::Icon::stop: break;
    }
    return QMessageBox::Critical;
}

// A message box whose buttons carry the library's texts.
int ask(QWidget* parent, const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, ResourceUi::text(res::kStrMessageTitle), text, buttons, parent);
    box.setObjectName("MessageBox");
    const std::pair<QMessageBox::StandardButton, unsigned> kTexts[] = {
        {QMessageBox::Yes, res::kStrYes}, {QMessageBox::No, res::kStrNo},
        {QMessageBox::Cancel, res::kStrCancel}, {QMessageBox::Ok, res::kStrOk}};
    for (const auto& [button, textId] : kTexts)
        if (QAbstractButton* b = box.button(button))
            b->setText(ResourceUi::text(textId));
    return box.exec();
}

} // namespace

bool QtShellDialogs::confirm(unsigned messageId)
{
    QMessageBox::Icon icon = messageId == kMsgSaveRecordingAfter ? QMessageBox::Warning : QMessageBox::Question;
    return ask(parent_, ResourceUi::text(messageId), icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

SessionPrompts::Answer QtShellDialogs::askSaveChanges()
{
    int answer = ask(parent_, ResourceUi::text(kMsgSaveChanges), QMessageBox::Question,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? Answer::yes : answer == QMessageBox::No ? Answer::no : Answer::cancel;
}

std::optional<std::string> QtShellDialogs::askNewName(const std::string& taken)
{
    showMessage(ResourceUi::format(kMsgNameTaken, taken.c_str()), Icon::information);
    auto name = askName(res::kStrRenameTitle, res::kStrRenamePrompt);
    if (!name)
        return std::nullopt;
    return name->toStdString();
}

std::optional<QString> QtShellDialogs::openFile(unsigned titleId, unsigned filterId)
{
    QString path = QFileDialog::getOpenFileName(parent_, ResourceUi::text(titleId), QString(),
                                                ResourceUi::fileFilter(filterId));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtShellDialogs::saveFile(unsigned titleId, unsigned filterId, const QString& extension)
{
    QFileDialog dialog(parent_, ResourceUi::text(titleId), QString(), ResourceUi::fileFilter(filterId));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void QtShellDialogs::showMessage(const QString& text, Icon icon) { ask(parent_, text, boxIcon(icon), QMessageBox::Ok); }

bool QtShellDialogs::askNewHead(bool& female)
{
    NewDialog dialog(parent_);
    dialog.setFemale(female);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    female = dialog.female();
    return true;
}

bool QtShellDialogs::askTellCompanion()
{
    QMessageBox box(QMessageBox::Question, ResourceUi::dialogText(res::kDialogCompanion, 0),
                    ResourceUi::dialogText(res::kDialogCompanion, 1201), QMessageBox::NoButton, parent_);
    QPushButton* tell = box.addButton(ResourceUi::dialogText(res::kDialogCompanion, 1), QMessageBox::AcceptRole);
    box.addButton(ResourceUi::dialogText(res::kDialogCompanion, 2), QMessageBox::RejectRole);
    box.setDefaultButton(tell);
    box.exec();
    return box.clickedButton() == tell;
}

bool QtShellDialogs::editOptions(FrameOptions& options, bool timelineAvailable)
{
    OptionsDialog dialog(options, timelineAvailable, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.options();
    return true;
}

bool QtShellDialogs::editSummary(SummaryInfo& summary)
{
    SummaryDialog dialog(summary, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    summary = dialog.summary();
    return true;
}

void QtShellDialogs::showAbout()
{
    AboutDialog dialog(parent_);
    dialog.exec();
}

std::optional<QString> QtShellDialogs::askName(unsigned titleId, unsigned promptId)
{
    NameDialog dialog(titleId, promptId, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.name();
}

void QtShellDialogs::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

bool QtShellDialogs::askSpokenText(QString& text, bool& recogniseWords, const QString& textFile)
{
    LipSyncDialog dialog(*this, text, textFile, parent_);
    dialog.setRecogniseWords(recogniseWords);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.text();
    recogniseWords = dialog.recogniseWords();
    return true;
}
