#pragma once

#include "audio/CRecorder.h"

#include <QDialog>

#include <filesystem>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class ResourceLibrary;

// Records a voice, plays the take back and saves it as a WAV file. The device is given, so tests and
// machines without sound input can drive the dialog with another one.
class CRecorderDialog : public QDialog {
    Q_OBJECT
public:
    CRecorderDialog(QWidget* parent, std::unique_ptr<RecorderDevice> device,
                    const ResourceLibrary* resources = nullptr);
    ~CRecorderDialog() override;

    CRecorder& recorder() { return recorder_; }
    // The file the take was last saved to; empty before.
    const std::filesystem::path& savedPath() const { return savedPath_; }
    // Saves without asking for the name, as the save button does after its file dialog.
    bool saveTo(const std::filesystem::path& path);

public slots:
    void onRecord();
    void onPlay();
    void onStop();
    void onSave();

protected:
    void done(int result) override;

private:
    void refresh();

    std::unique_ptr<RecorderDevice> device_;
    CRecorder recorder_;
    const ResourceLibrary* resources_;
    QPushButton* record_;
    QPushButton* play_;
    QPushButton* stop_;
    QPushButton* save_;
    QLabel* status_;
    QTimer* timer_;
    std::filesystem::path savedPath_;
};
