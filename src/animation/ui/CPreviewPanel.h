#pragma once

#include "animation/ui/CPreviewWnd.h"
#include "audio/CStreamPlayer.h"
#include "audio/OutputVolume.h"
#include "Common/TempFile.h"
#include "timeline/WavVoiceReader.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

class CHeadModel;
class ProjectStore;
class ResourceLibrary;
class QAction;
class QSlider;
class QToolBar;
class TimelineData;

// Makes the sound output of one play; a null result plays silently.
using SoundSinkFactory = std::function<std::unique_ptr<SoundSink>()>;

// The preview as the project window hosts it: the tool bar (play, stop, the three demonstrations,
// mute), the volume slider and the preview window. Play mixes the voice of the selection with the
// clips into a file, streams it and lets the played time drive the animation.
class CPreviewPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCommandPlay = 33038;
    static constexpr int kCommandStop = 33039;
    static constexpr int kCommandMouth = 33040;
    static constexpr int kCommandBlink = 33041;
    static constexpr int kCommandHead = 33042;
    static constexpr int kCommandMute = 33045;
    static constexpr int kImagesUnmuted = 150;
    static constexpr int kImagesMuted = 249;
    static constexpr int kMessagePlayFailed = 59429;

    // Without a volume or a sink factory the panel uses the system's mixer and sound output.
    CPreviewPanel(QWidget* parent, bool openGl, int processorType,
                  std::unique_ptr<OutputVolume> volume = nullptr, SoundSinkFactory sinks = {});
    ~CPreviewPanel() override;

    void setHeadModel(CHeadModel* model);
    void setTimeline(TimelineData* timeline);
    void setStore(const ProjectStore* store);
    // The tool bar's two image sets from the library; without it the style's pictures stand in.
    void setResources(const ResourceLibrary* resources);
    // The blinks are drawn from this seed, so a play can be repeated exactly.
    void setBlinkSeed(std::uint32_t seed) { blinkSeed_ = seed; }

    CPreviewWnd& previewWindow() { return *window_; }
    QToolBar* toolBar() const { return toolBar_; }
    QSlider* volumeSlider() const { return slider_; }
    // The tool bar's image set: 249 while muted, else 150.
    int toolBarImages() const { return muted_ ? kImagesMuted : kImagesUnmuted; }
    bool isMuted() const { return muted_; }
    // True when the last play had a sound device; false when it ran silently.
    bool lastPlayHadDevice() const { return lastPlayHadDevice_; }
    CStreamPlayer* soundPlayer() { return sound_.get(); }

public slots:
    // Runs a command by its number; false for numbers the panel does not know.
    bool runCommand(int command);
    bool playTimeline();
    void stop();
    void playMouthDemo();
    void playBlinkDemo();
    void playHeadDemo();
    void toggleMute();

signals:
    // The voice clock's time, in ms, for the timeline's playback cursor.
    void playbackCursorMoved(int milliseconds);
    // A resource message to show with the warning icon.
    void warningMessage(int messageNumber);

private:
    void playDemo(void (*fill)(CFapMixer&));
    void applyMuteImages();

    CPreviewWnd* window_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QSlider* slider_ = nullptr;
    QAction* muteAction_ = nullptr;
    std::unique_ptr<OutputVolume> volume_;
    SoundSinkFactory sinks_;
    bool muted_ = false;
    QPixmap imageSets_[2]; // sounding, muted

    TimelineData* timeline_ = nullptr;
    const ProjectStore* store_ = nullptr;
    CHeadModel* model_ = nullptr;
    std::uint32_t blinkSeed_ = 1;
    CWavVoiceReader voiceReader_;
    ScopedTempFile mixFile_{"wav"};
    std::unique_ptr<CStreamPlayer> sound_;
    bool lastPlayHadDevice_ = false;
};
