#pragma once

#include "documents/DocumentProperties.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The summary of the current document: a category (one of the six named ones, or a text of its own)
// and five texts, each cut to its field's size.
class SummaryDialog : public QDialog {
    Q_OBJECT
public:
    explicit SummaryDialog(const SummaryInfo& summary, QWidget* parent = nullptr);
    SummaryInfo summary() const;

private:
    QComboBox* category_;
    QLineEdit* lines_[4];
    QPlainTextEdit* comments_;
};
