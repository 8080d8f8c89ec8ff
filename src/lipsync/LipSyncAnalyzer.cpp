#include "lipsync/LipSyncAnalyzer.h"

#include "lipsync/BlockRecognition.h"
#include "lipsync/ScriptAligner.h"
#include "timeline/TimelineData.h"
#include "lipsync/TimelineVisemeSink.h"
#include "lipsync/TrackSplicer.h"
#include "audio/WavFile.h"
#include "SREngine/RecogResources.h"
#include "SREngine/WordDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

namespace {

constexpr auto kMinPoll = std::chrono::milliseconds(10);
constexpr auto kFirstPoll = std::chrono::milliseconds(200);

} // namespace

std::string lipSyncTimeText(uint64_t milliseconds)
{
    const uint64_t seconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, " %02u:%02u:%02u ", static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}

std::string recogniserFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
}

LipSyncAnalyzer::LipSyncAnalyzer(IVisemeTrackSink& track, const std::string& voicePath,
                                 LipSyncProgress progress, ISylRecogniser* recogniser,
                                 std::string resourceFile)
    : LipSyncAnalyzer(nullptr, &track, voicePath, std::move(progress), recogniser, std::move(resourceFile))
{
}

LipSyncAnalyzer::LipSyncAnalyzer(TimelineData& timeline, LipSyncProgress progress, ISylRecogniser* recogniser,
                                 std::string resourceFile)
    : LipSyncAnalyzer(std::make_unique<TimelineVisemeSink>(timeline), nullptr, timeline.voiceFile().string(),
                      std::move(progress), recogniser, std::move(resourceFile))
{
}

LipSyncAnalyzer::LipSyncAnalyzer(std::unique_ptr<IVisemeTrackSink> ownSink, IVisemeTrackSink* track,
                                 const std::string& voicePath, LipSyncProgress progress,
                                 ISylRecogniser* recogniser, std::string resourceFile)
    : ownSink_(std::move(ownSink)), sink_(track ? *track : *ownSink_), voicePath_(voicePath),
      progress_(std::move(progress)),
      ownRecogniser_(recogniser ? nullptr : std::make_unique<CSylRecogLibrary>()),
      recogniser_(recogniser ? recogniser : ownRecogniser_.get()),
      // An absolute name instead of changing the process's current directory, which other threads share.
      resourceFile_(resourceFile.empty() ? recogniserFolder() + "/SylRecog.res" : std::move(resourceFile))
{
    worker_ = std::thread([this] { workerMain(); });
}

LipSyncAnalyzer::~LipSyncAnalyzer()
{
    stopWorker();
}

void LipSyncAnalyzer::workerMain()
{
    while (waitForEither(quit_, workReady_) == 1) {
        workReady_.reset();
        const int count = static_cast<int>(block_.bytes / 2);
        bool ok = false;
        try {
            ok = recogniseOrAlign(block_.samples, count);
        } catch (const std::bad_alloc&) {
            entries_.clear();
        }
        block_.result = ok ? 1 : 0;
        workDone_.set();
    }
    workerEnded_ = true;
    threadExited_.set();
}

bool LipSyncAnalyzer::recogniseOrAlign(const int16_t* samples, int count)
{
    if (script_.empty()) {
        // The heard words are this block's alone, so the block is aligned as if it ended the text.
        if (recogniseWords_ && takeHeardWords(samples, count))
            return alignWithAligner(samples, count, true);
        return recogniseBlock(*recogniser_, resourceFile_, samples, count, entries_);
    }
    if (!alignerOpened_) {
        alignerOpened_ = true; // the model loads on this thread, inside the first block's time
        aligner_ = std::make_unique<CScriptAligner>();
        if (!aligner_->open(resourceFile_, script_))
            aligner_.reset();
    }
    if (!aligner_)
        return recogniseBlock(*recogniser_, resourceFile_, samples, count, entries_);
    return alignWithAligner(samples, count, block_.last);
}

bool LipSyncAnalyzer::takeHeardWords(const int16_t* samples, int count)
{
    if (!wordDecoderOpened_) {
        wordDecoderOpened_ = true; // one decoder for the run: its model is the largest thing we hold
        sylrecog::CRecogResources resources;
        wordDecoder_ = std::make_unique<sylrecog::CWordDecoder>();
        if (!resources.load(resourceFile_) || !wordDecoder_->open(resources))
            wordDecoder_.reset();
    }
    if (!wordDecoder_)
        return false;
    const std::string words = wordDecoder_->decode(samples, static_cast<size_t>(std::max(count, 0)));
    if (words.empty())
        return false;
    if (aligner_)
        return aligner_->restart(words);
    aligner_ = std::make_unique<CScriptAligner>();
    if (aligner_->open(resourceFile_, words, true))
        return true;
    aligner_.reset();
    return false;
}

bool LipSyncAnalyzer::alignWithAligner(const int16_t* samples, int count, bool lastBlock)
{
    BlockAlignment alignment;
    const uint32_t next = count > static_cast<int>(kOverlapSamples)
                              ? (static_cast<uint32_t>(count) - kOverlapSamples) / kSamplesPerFrame
                              : 0;
    aligner_->alignBlock(samples, count, lastBlock, next, alignment);
    std::vector<PhonemeEntry> phonetic;
    if (!recogniseStretches(samples, count, alignment.unmatched, phonetic))
        return false;
    entries_ = mergeWithPhonetic(alignment, phonetic);
    return true;
}

bool LipSyncAnalyzer::recogniseStretches(const int16_t* samples, int count,
                                         const std::vector<FrameSpan>& spans,
                                         std::vector<PhonemeEntry>& entries)
{
    entries.clear();
    const uint32_t frames = static_cast<uint32_t>(count) / kSamplesPerFrame;
    for (const auto& piece : phoneticPieces(spans, frames)) {
        std::vector<PhonemeEntry> part;
        const int pieceCount = static_cast<int>((piece.end - piece.start) * kSamplesPerFrame);
        const int16_t* pieceSamples = samples + piece.start * kSamplesPerFrame;
        // The last piece takes the block's partial frame too.
        const int tail = piece.end == frames ? count - static_cast<int>(frames * kSamplesPerFrame) : 0;
        if (!recogniseBlock(*recogniser_, resourceFile_, pieceSamples, pieceCount + tail, part))
            return false;
        for (auto& entry : part) {
            entry.start += piece.start;
            entry.end += piece.start;
        }
        entries.insert(entries.end(), part.begin(), part.end());
    }
    return true;
}

// The aligner of heard words counts no script's words.
size_t LipSyncAnalyzer::scriptWords() const
{
    return aligner_ && !script_.empty() ? aligner_->wordCount() : 0;
}

size_t LipSyncAnalyzer::scriptWordsFound() const
{
    return aligner_ && !script_.empty() ? aligner_->wordsFound() : 0;
}

void LipSyncAnalyzer::stopWorker()
{
    quit_.set();
    if (!worker_.joinable())
        return;
    if (workerEnded_)
        threadExited_.set();
    threadExited_.wait();
    worker_.join();
}

bool LipSyncAnalyzer::run()
{
    if (ran_)
        return false;
    ran_ = true;
    CWavReader reader;
    std::vector<char> buffer;
    bool ok = false;
    try {
        buffer.resize(kBlockBytes);
        ok = openVoice(reader) && analyseVoice(reader, buffer);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    reader.close();
    stopWorker();
    wordDecoder_.reset();
    if (script_.empty())
        aligner_.reset(); // the aligner of a script is kept for its counts
    return ok;
}

bool LipSyncAnalyzer::openVoice(CWavReader& reader) const
{
    // Frames are counted at 16 kHz mono 16-bit; any other layout would be timed and heard wrongly.
    return reader.open(voicePath_) == kWavOk && isVoiceFormat(reader.format()) &&
           reader.startData() == kWavOk;
}

bool LipSyncAnalyzer::analyseVoice(CWavReader& reader, std::vector<char>& buffer)
{
    const uint32_t total = reader.dataSize();
    runStart_ = Clock::now();
    poll_ = kFirstPoll;
    uint32_t filled = 0;
    uint32_t offset = 0;
    while (reader.remaining() > 0) {
        const uint32_t leftBeforeRead = reader.remaining();
        uint32_t kept = 0;
        if (laterBlock_) {
            // The last 5 s of the previous block open this one, so cut syllables are heard whole.
            kept = std::min(kOverlapBytes, filled);
            std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
            offset += (filled - kept) / 2;
            updateEstimates(leftBeforeRead, total);
        }
        uint32_t got = 0;
        if (reader.read(buffer.data() + kept, kBlockBytes - kept, got) != kWavOk)
            return false;
        filled = kept + got;
        block_.samples = reinterpret_cast<const int16_t*>(buffer.data());
        block_.bytes = filled;
        block_.sampleOffset = offset;
        block_.last = reader.remaining() == 0;
        if (!analyseBlock(reader.remaining(), total))
            return false;
        laterBlock_ = true;
    }
    return finishProgress();
}

bool LipSyncAnalyzer::analyseBlock(uint32_t bytesLeft, uint32_t total)
{
    block_.result = 0;
    workDone_.reset();
    blockStart_ = Clock::now();
    workReady_.set();
    for (;;) {
        if (workerEnded_)
            workDone_.set(); // a worker that died must not leave us waiting
        if (workDone_.wait(poll_))
            break;
        if (!tickProgress(bytesLeft, total))
            return false;
    }
    workDone_.reset();
    blockFinish_ = Clock::now();
    if (block_.result == 0)
        return false;
    if (entries_.empty())
        return true;
    convertEntries(entries_);
    mergeBlock(track_, block_.sampleOffset, entries_);
    entries_.clear();
    entries_.shrink_to_fit();
    sink_.setVisemeTrack(track_);
    return true;
}

void LipSyncAnalyzer::updateEstimates(uint32_t bytesLeftBeforeRead, uint32_t total)
{
    analysedMs_ += std::chrono::duration<double, std::milli>(blockFinish_ - blockStart_).count();
    const uint32_t consumed = total - bytesLeftBeforeRead;
    if (consumed == 0)
        return;
    const double msPerByte = analysedMs_ / consumed;
    const auto poll = std::chrono::milliseconds(static_cast<long long>(msPerByte * total * 0.001));
    // A very fast recogniser would make the poll spin; a very slow one would make cancel sluggish.
    poll_ = std::clamp(poll, kMinPoll, kFirstPoll);
    remainingMs_ = msPerByte * bytesLeftBeforeRead;
}

bool LipSyncAnalyzer::tickProgress(uint32_t bytesLeft, uint32_t total)
{
    const double done = total ? (1.0 - static_cast<double>(bytesLeft) / total) * kProgressTotal : 0;
    if (done <= step_)
        return true;
    std::string remaining, elapsed;
    if (laterBlock_) {
        remainingMs_ = std::max(0.0, remainingMs_ - static_cast<double>(poll_.count()));
        remaining = lipSyncTimeText(static_cast<uint64_t>(remainingMs_));
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - runStart_);
        elapsed = lipSyncTimeText(static_cast<uint64_t>(since.count()));
    }
    ++step_;
    return !progress_ || progress_(step_, kProgressTotal, remaining, elapsed) != 0;
}

bool LipSyncAnalyzer::finishProgress()
{
    while (step_ < kProgressTotal) {
        ++step_;
        if (progress_ && progress_(step_, kProgressTotal, "", "") == 0)
            return false;
    }
    return true;
}
