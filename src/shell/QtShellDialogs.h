#pragma once

#include "shell/ShellDialogs.h"

class QWidget;

// The real windows behind every question: message boxes with the library's texts, Qt's file dialogs
// and the studio's own dialogs, all owned by `parent`.
class QtShellDialogs : public ShellDialogs {
public:
    explicit QtShellDialogs(QWidget* parent) : parent_(parent) {}

    bool confirm(unsigned messageId) override;
    Answer askSaveChanges() override;
    std::optional<std::string> askNewName(const std::string& taken) override;

    std::optional<QString> openFile(unsigned titleId, unsigned filterId) override;
    std::optional<QString> saveFile(unsigned titleId, unsigned filterId, const QString& extension) override;
    void showMessage(const QString& text, Icon icon) override;
    bool askNewHead(bool& female) override;
    bool askTellCompanion() override;
    bool editOptions(FrameOptions& options, bool timelineAvailable) override;
    bool editSummary(SummaryInfo& summary) override;
    void showAbout() override;
    std::optional<QString> askName(unsigned titleId, unsigned promptId) override;
    bool askSpokenText(QString& text, bool& recogniseWords, const QString& textFile) override;
    void openUrl(const QUrl& url) override;

private:
    QWidget* parent_;
};
