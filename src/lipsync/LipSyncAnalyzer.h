#pragma once
// The lip-sync analysis: reads the voice in 60-s blocks with a 5-s overlap, has a worker thread run the
// syllable recogniser on each block, and splices the results into the viseme track.

#include "lipsync/PhonemeEntry.h"
#include "lipsync/ScriptAligner.h"
#include "lipsync/SylRecogniser.h"
#include "lipsync/SyncEvent.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Receives the viseme track after each merged block; the first call replaces whatever the track held.
class IVisemeTrackSink {
public:
    virtual ~IVisemeTrackSink() = default;
    virtual void setVisemeTrack(const std::vector<TrackPhoneme>& items) = 0;
};

// (step, total = 1000, remaining-time text, elapsed-time text); a zero result cancels the run.
using LipSyncProgress = std::function<int(unsigned step, unsigned total, const std::string& remaining,
                                          const std::string& elapsed)>;

constexpr uint32_t kBlockBytes = 1920000;  // 60 s of 16 kHz 16-bit samples
constexpr uint32_t kOverlapBytes = 160000; // 5 s
constexpr unsigned kProgressTotal = 1000;

// " hh:mm:ss " of a count of milliseconds.
std::string lipSyncTimeText(uint64_t milliseconds);
// The folder of the running program, where "SylRecog.res" is installed beside it.
std::string recogniserFolder();

class CWavReader;
class TimelineData;
namespace sylrecog {
class CWordDecoder;
}

class LipSyncAnalyzer {
public:
    // Analyses the timeline's voice working copy into its viseme track.
    LipSyncAnalyzer(TimelineData& timeline, LipSyncProgress progress, ISylRecogniser* recogniser = nullptr,
                    std::string resourceFile = {});
    // recogniser: nullptr for the real library. resourceFile: empty for recogniserFolder()/SylRecog.res.
    LipSyncAnalyzer(IVisemeTrackSink& track, const std::string& voicePath, LipSyncProgress progress,
                    ISylRecogniser* recogniser = nullptr, std::string resourceFile = {});
    ~LipSyncAnalyzer();
    LipSyncAnalyzer(const LipSyncAnalyzer&) = delete;
    LipSyncAnalyzer& operator=(const LipSyncAnalyzer&) = delete;

    // Analyses the whole voice; true on success. A voice that is not 16 kHz mono 16-bit fails, as does a
    // data chunk that runs past the end of the file. Runs once per analyser.
    bool run();
    size_t producedItems() const { return track_.size(); }

    // The text the voice speaks (UTF-8), set before run(). Its words are aligned with the voice; what
    // cannot be found in it, or a text without words, falls back to the phonetic result.
    void setScript(std::string script) { script_ = std::move(script); }
    // Without a script: first recognise each block's words and align the voice with them as if they had
    // been given, which follows the mouth more closely at about two and a half times the time and some
    // 90 MB more. A block in which no words are heard keeps the phonetic result. Ignored with a script.
    void setRecogniseWords(bool on) { recogniseWords_ = on; }
    // After run(): the script's words that could be pronounced, and those found in the voice. Both 0 when
    // no script was given or it could not be used.
    size_t scriptWords() const;
    size_t scriptWordsFound() const;

private:
    LipSyncAnalyzer(std::unique_ptr<IVisemeTrackSink> ownSink, IVisemeTrackSink* track,
                    const std::string& voicePath, LipSyncProgress progress, ISylRecogniser* recogniser,
                    std::string resourceFile);

    using Clock = std::chrono::steady_clock;
    struct Block {
        const int16_t* samples = nullptr;
        uint32_t bytes = 0;
        uint32_t sampleOffset = 0;
        bool last = false;
        std::atomic<int> result{0};
    };

    void workerMain();
    bool recogniseOrAlign(const int16_t* samples, int count);
    bool alignWithAligner(const int16_t* samples, int count, bool lastBlock);
    // Gives the aligner the words heard in the block; false when none were heard or the word search is
    // not available.
    bool takeHeardWords(const int16_t* samples, int count);
    // The phonetic result of the given stretches of a block, in frames of the block.
    bool recogniseStretches(const int16_t* samples, int count, const std::vector<FrameSpan>& spans,
                            std::vector<PhonemeEntry>& entries);
    bool openVoice(CWavReader& reader) const;
    bool analyseVoice(CWavReader& reader, std::vector<char>& buffer);
    bool analyseBlock(uint32_t bytesLeft, uint32_t total);
    bool tickProgress(uint32_t bytesLeft, uint32_t total);
    bool finishProgress();
    void updateEstimates(uint32_t bytesLeftBeforeRead, uint32_t total);
    void stopWorker();

    std::unique_ptr<IVisemeTrackSink> ownSink_;
    IVisemeTrackSink& sink_;
    std::string voicePath_;
    LipSyncProgress progress_;
    std::unique_ptr<ISylRecogniser> ownRecogniser_;
    ISylRecogniser* recogniser_;
    std::string resourceFile_;

    CSyncEvent workDone_{true};
    CSyncEvent workReady_{true};
    CSyncEvent quit_{true};
    CSyncEvent threadExited_{false};
    std::atomic<bool> workerEnded_{false};
    std::thread worker_;

    Block block_;
    std::vector<PhonemeEntry> entries_;
    std::string script_;
    std::unique_ptr<CScriptAligner> aligner_;
    bool alignerOpened_ = false;
    bool recogniseWords_ = false;
    bool wordDecoderOpened_ = false;
    std::unique_ptr<sylrecog::CWordDecoder> wordDecoder_;
    std::vector<TrackPhoneme> track_;

    unsigned step_ = 0;
    bool laterBlock_ = false;
    std::chrono::milliseconds poll_{200};
    double remainingMs_ = 0;
    double analysedMs_ = 0;
    Clock::time_point runStart_{};
    Clock::time_point blockStart_{};
    Clock::time_point blockFinish_{};
    bool ran_ = false;
};
