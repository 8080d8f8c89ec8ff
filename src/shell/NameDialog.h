#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a name (at most 256 characters, empty at first) under a title and a prompt of the library.
class NameDialog : public QDialog {
    Q_OBJECT
public:
    NameDialog(unsigned titleId, unsigned promptId, QWidget* parent = nullptr);
    QString name() const;
    void setName(const QString& name);

private:
    QLineEdit* edit_;
};
