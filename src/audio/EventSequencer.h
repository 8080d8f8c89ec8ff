#pragma once

#include "audio/WavFile.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A sound clip placed on the schedule; times in milliseconds from the start of the animation.
struct ScheduledSound {
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::filesystem::path path; // a clip already in the 16 kHz mono 16-bit voice format
    std::int32_t volume = 100;  // percent
};

// A background picture that becomes current at `due`; an empty path clears the background.
struct ScheduledImage {
    std::int32_t due = 0;
    std::filesystem::path path;
};

// Flags of a piece of image file data.
enum ImageDataFlags : unsigned { kImageBegins = 1, kImageData = 2, kImageEnds = 4 };

struct SoundSlice {
    std::vector<std::uint8_t> bytes; // 16-bit samples; empty when no clip sounds now
    std::int32_t volume = 0;
};

struct ImageData {
    std::vector<std::uint8_t> bytes;
    unsigned flags = 0;
};

// The media schedule of a play or an export: the sound clips and background pictures of the
// tracks in time order, handed out as the clock advances. Every operation takes the object's own
// lock, so the player may fetch while another thread adds entries or resets.
class CEventSequencer {
public:
    static constexpr std::int32_t kImageLeadMs = 30000;

    CEventSequencer() = default;
    ~CEventSequencer();
    CEventSequencer(const CEventSequencer&) = delete;
    CEventSequencer& operator=(const CEventSequencer&) = delete;

    // Entries must be added in time order, as the tracks hold them.
    void addImage(const std::filesystem::path& path, std::int32_t due);
    void addSound(const std::filesystem::path& path, std::int32_t volume, std::int32_t start,
                  std::int32_t length);

    std::int32_t time() const;
    void setTime(std::int32_t milliseconds);
    void advance(std::int32_t milliseconds);

    // The clip audio of the next `milliseconds` from the clock, looping the clip over its entry, with
    // silence before a clip that starts inside the slice and never reaching past the entry's end.
    // An empty slice with success means silence.
    bool nextSoundSlice(std::int32_t milliseconds, SoundSlice& slice);
    // The picture that has become due, when it differs from the last one handed out.
    std::optional<std::filesystem::path> nextImage();
    // The next portion of a picture file that falls due within kImageLeadMs, so that each file
    // arrives whole by its due time.
    bool nextImageData(std::int32_t milliseconds, ImageData& data);

    // Closes open files and forgets the last picture; the queues stay.
    void reset();
    // reset() and empties both queues.
    void clear();

    // Mixes a clip slice into a voice slice: the voice at half strength, the clip at volume / 2
    // percent, the result exactly `milliseconds` long at 16 kHz. False when memory runs out.
    static bool mix(const std::int16_t* voice, std::size_t voiceSamples, const std::int16_t* clip,
                    std::size_t clipSamples, std::int32_t milliseconds, std::int32_t volume,
                    std::vector<std::int16_t>& out);

private:
    bool openClip();
    bool readLooping(std::uint32_t position, std::uint8_t* to, std::size_t count);
    void closeClip();
    void dropFinishedSounds();
    void closeImage();
    bool readImagePortion(std::int32_t milliseconds, ImageData& data);
    bool failSlice(SoundSlice& slice);
    bool failImage(ImageData& data);
    void closeAll();

    mutable std::mutex lock_;
    std::int32_t now_ = 0;
    std::deque<ScheduledSound> sounds_;
    std::deque<ScheduledImage> images_;

    ScheduledSound clip_;
    CWavReader clipFile_;
    bool clipOpen_ = false;

    ScheduledImage image_;
    std::FILE* imageFile_ = nullptr;
    std::uint64_t imageSize_ = 0;
    std::uint64_t imageDelivered_ = 0;
    std::string lastImage_;
};
