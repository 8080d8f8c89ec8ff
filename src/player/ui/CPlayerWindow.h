#pragma once

#include "player/AnimationFile.h"
#include "player/AnimationFrameRenderer.h"
#include "player/AnimationPlayback.h"

#include <QMainWindow>
#include <QString>

#include <filesystem>
#include <memory>

class CPlayerView;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class QWidget;

// The player's window: one animation file played with its sound, the frame at the window's size, the
// play button, the seek slider with its times, volume and mute, full screen, and opening by the file
// dialog or by dropping a file on the window.
class CPlayerWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr std::int64_t kStepMs = 1000;

    // `expressionsFolder` holds the expression rows the file's records are blended over; without a sink
    // factory the sound goes to the system's default output.
    explicit CPlayerWindow(std::filesystem::path expressionsFolder, PlaybackSinkFactory sinks = {},
                           QWidget* parent = nullptr);
    ~CPlayerWindow() override;

    // Opens and starts playing the file; on failure the window shows why and holds no file.
    bool openFile(const QString& path);

    AnimationPlayback& playback() { return playback_; }
    CPlayerView* view() const { return view_; }
    QSlider* seekSlider() const { return seek_; }
    QSlider* volumeSlider() const { return volume_; }
    QToolButton* playButton() const { return play_; }
    QToolButton* muteButton() const { return mute_; }
    QLabel* timeLabel() const { return elapsed_; }
    QLabel* durationLabel() const { return total_; }
    QString statusText() const;
    // The record on screen, -1 with none.
    std::ptrdiff_t shownFrame() const { return shown_ < 0 ? -1 : shown_; }

public slots:
    void togglePlay();
    void toggleFullScreen();
    void leaveFullScreen();
    void chooseFile();
    // Follows the clock: the frame, the slider, the times and the play button.
    void refresh();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeControls();
    void addShortcuts();
    void showNoFile(const QString& message, bool warning);
    void setPlayControlsEnabled(bool enabled);
    void drawFrame(std::ptrdiff_t index);
    void updateControls(std::int64_t positionMs);
    void seekFromSlider(int value);

    std::filesystem::path expressionsFolder_;
    AnimationPlayback playback_;
    std::unique_ptr<AnimationFile> file_;
    std::unique_ptr<AnimationFrameRenderer> renderer_;
    QString fileName_;
    QString damageNote_;
    std::ptrdiff_t shown_ = -1;

    CPlayerView* view_ = nullptr;
    QWidget* controls_ = nullptr;
    QToolButton* play_ = nullptr;
    QSlider* seek_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* total_ = nullptr;
    QToolButton* mute_ = nullptr;
    QSlider* volume_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* clock_ = nullptr;
    QTimer* volumeSettle_ = nullptr;
    bool syncingSlider_ = false;
    bool resumeAfterDrag_ = false;
};
