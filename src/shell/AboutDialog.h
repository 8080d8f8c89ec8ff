#pragma once

#include <QDialog>

// The About box: the program's picture beside the texts 10000 to 10009, 25024 and 59549 laid out in
// two blocks.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // The two blocks of text, as shown.
    static QString mainText();
    static QString rightsText();
};
