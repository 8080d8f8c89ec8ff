#pragma once

#include <QDialog>

class QRadioButton;

// Dialog 179: which default head a new document starts from.
class NewDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewDialog(QWidget* parent = nullptr);
    bool female() const;
    void setFemale(bool female);

private:
    QRadioButton* male_;
    QRadioButton* female_;
};
