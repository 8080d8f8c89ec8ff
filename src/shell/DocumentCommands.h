#pragma once

#include <QString>

#include <functional>

class CChattermaskEditorMainFrame;

// The document commands of the frame: each gathers what its flow needs (a question, a file picked in
// a dialog), calls the session, and shows what the session reports. Enabling follows the head model:
// most commands need one that is not busy.
class DocumentCommands {
public:
    explicit DocumentCommands(CChattermaskEditorMainFrame& frame) : frame_(frame) {}

    bool handles(unsigned id) const;
    bool isEnabled(unsigned id) const;
    void run(unsigned id);

    // The flows behind the commands, also used by start-up, the recent files and drag and drop. None
    // asks the save-changes question; the caller does.
    bool newFromDefault(bool female);
    bool openPath(const QString& path, bool untitled);
    bool save();
    bool saveAs(unsigned command);
    // A dropped file goes through the flow of its menu command.
    void dropFile(const QString& path);

private:
    bool importPack(unsigned command, const QString& path);
    void importPicture(unsigned command, const QString& path);
    void importVoice(const QString& path);
    void exportAsset(unsigned command);
    void recordVoice();
    void saveStream();
    void editSummary();
    void afterSave(const QString& path, bool askFirst);
    std::function<bool(unsigned long long, unsigned long long)> progress(unsigned titleId);

    CChattermaskEditorMainFrame& frame_;
};
