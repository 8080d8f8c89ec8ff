#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class ShellDialogs;

// Asks for the text the voice speaks before the lip-sync runs: a text box, prefilled from the text file
// that goes with the voice, a button that loads another file, and a note that the text may be left out.
class LipSyncDialog : public QDialog {
    Q_OBJECT
public:
    // `text` came from the file `textFile` (empty when none was found).
    LipSyncDialog(ShellDialogs& dialogs, const QString& text, const QString& textFile,
                  QWidget* parent = nullptr);

    QString text() const;
    // "Recognise the words when no text is given": only offered while the text box is empty.
    bool recogniseWords() const;
    void setRecogniseWords(bool on);
    // Picks a text file and shows it in place of the text; a file that cannot be read says so and
    // leaves the text as it was.
    void loadTextFile();

private:
    void showSource(const QString& file);
    void updateWordsChoice();

    ShellDialogs& dialogs_;
    QPlainTextEdit* text_;
    QLabel* source_;
    QCheckBox* words_;
};
