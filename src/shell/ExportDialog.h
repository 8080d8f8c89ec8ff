#pragma once

#include "export/ExportPipeline.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QRadioButton;
class ShellDialogs;

// What the export options dialog chose.
struct ExportOptions {
    ExportKind kind = ExportKind::stream;
    int profile = 0; // the video's stock profile; -1 for none picked
    bool writePage = false;
};

// Dialog 176: the kind of export, the video's stock profile and the web page beside the file. The
// profile list is open only for the video. OK on a video with no profile picked shows message 136 and
// keeps the dialog open.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(ShellDialogs& dialogs, const ExportOptions& options, QWidget* parent = nullptr);
    ExportOptions options() const;

    void accept() override;

private:
    void kindChanged();

    ShellDialogs& dialogs_;
    QRadioButton* video_;
    QRadioButton* stream_;
    QLabel* listLabel_;
    QListWidget* profiles_;
    QCheckBox* page_;
};
