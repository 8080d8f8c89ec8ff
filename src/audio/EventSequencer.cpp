#include "audio/EventSequencer.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace {

constexpr std::int64_t kVoiceBytesPerMs = 32;
constexpr std::int32_t kVoiceWeight = 50;

bool sameImagePath(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

template <typename Buffer> bool allocate(Buffer& buffer, std::size_t size)
{
    try {
        buffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

} // namespace

CEventSequencer::~CEventSequencer()
{
    closeImage();
}

void CEventSequencer::addImage(const std::filesystem::path& path, std::int32_t due)
{
    std::lock_guard guard(lock_);
    images_.push_back({due, path});
}

void CEventSequencer::addSound(const std::filesystem::path& path, std::int32_t volume, std::int32_t start,
                               std::int32_t length)
{
    std::lock_guard guard(lock_);
    const std::int64_t end = std::int64_t(start) + std::max(length, 0);
    sounds_.push_back({start, std::int32_t(std::min<std::int64_t>(end, INT32_MAX)), path, volume});
}

std::int32_t CEventSequencer::time() const
{
    std::lock_guard guard(lock_);
    return now_;
}

void CEventSequencer::setTime(std::int32_t milliseconds)
{
    std::lock_guard guard(lock_);
    now_ = milliseconds;
}

void CEventSequencer::advance(std::int32_t milliseconds)
{
    std::lock_guard guard(lock_);
    now_ += milliseconds;
}

// An entry whose end has come can never sound again; keeping it would replay its clip from the
// start after the item is over.
void CEventSequencer::dropFinishedSounds()
{
    while (!sounds_.empty() && sounds_.front().end <= now_) {
        closeClip();
        sounds_.pop_front();
    }
}

bool CEventSequencer::openClip()
{
    clip_ = sounds_.front();
    int code = clipFile_.open(clip_.path);
    if (code == kWavOk)
        code = clipFile_.startData();
    // Bytes are counted as 16 kHz mono 16-bit samples; any other layout would mix as noise.
    if (code != kWavOk || !isVoiceFormat(clipFile_.format())) {
        clipFile_.close();
        return false;
    }
    clipOpen_ = true;
    return true;
}

void CEventSequencer::closeClip()
{
    clipFile_.close();
    clipOpen_ = false;
}

bool CEventSequencer::nextSoundSlice(std::int32_t milliseconds, SoundSlice& slice)
{
    std::lock_guard guard(lock_);
    slice = {};
    dropFinishedSounds();
    const std::int64_t sliceEnd = std::int64_t(now_) + milliseconds;
    if (milliseconds <= 0 || sounds_.empty() || sliceEnd <= sounds_.front().start)
        return true;
    if (!clipOpen_ && !openClip())
        return false;
    const std::uint32_t loopBytes = clipFile_.dataSize() & ~1u;
    if (loopBytes == 0)
        return true;
    // A clip starting inside the slice is preceded by silence rather than heard late, and the slice
    // never reaches past the item's end.
    const std::int64_t lead = std::max<std::int64_t>(clip_.start - std::int64_t(now_), 0);
    const std::int64_t due = std::min<std::int64_t>(sliceEnd, clip_.end) - now_;
    if (!allocate(slice.bytes, std::size_t(due * kVoiceBytesPerMs)))
        return failSlice(slice);
    const std::int64_t sinceStart = (std::int64_t(now_) + lead - clip_.start) * kVoiceBytesPerMs;
    if (!readLooping(std::uint32_t(sinceStart % loopBytes), slice.bytes.data() + lead * kVoiceBytesPerMs,
                     slice.bytes.size() - std::size_t(lead * kVoiceBytesPerMs)))
        return failSlice(slice);
    slice.volume = clip_.volume;
    return true;
}

// The position follows the clock, so a clock that jumps still hears the clip where the item says;
// a clip shorter than its item starts over seamlessly.
bool CEventSequencer::readLooping(std::uint32_t position, std::uint8_t* to, std::size_t count)
{
    int code =
        clipFile_.dataSize() - clipFile_.remaining() == position ? kWavOk : clipFile_.seekData(position);
    std::size_t filled = 0;
    while (code == kWavOk && filled < count) {
        if (clipFile_.remaining() < 2)
            code = clipFile_.seekData(0);
        const auto part = std::uint32_t(std::min<std::size_t>(count - filled, clipFile_.remaining() & ~1u));
        std::uint32_t got = 0;
        if (code == kWavOk)
            code = clipFile_.read(to + filled, part, got);
        filled += got;
    }
    return code == kWavOk;
}

std::optional<std::filesystem::path> CEventSequencer::nextImage()
{
    std::lock_guard guard(lock_);
    if (images_.empty() || images_.front().due > now_)
        return std::nullopt;
    const ScheduledImage entry = images_.front();
    images_.pop_front();
    if (sameImagePath(entry.path.string(), lastImage_))
        return std::nullopt;
    lastImage_ = entry.path.string();
    return entry.path;
}

bool CEventSequencer::nextImageData(std::int32_t milliseconds, ImageData& data)
{
    std::lock_guard guard(lock_);
    data = {};
    if (milliseconds <= 0 || images_.empty() || std::int64_t(images_.front().due) - now_ > kImageLeadMs)
        return true;
    if (!imageFile_) {
        data.flags = kImageBegins;
        image_ = images_.front();
        if (image_.path.empty()) {
            data.flags |= kImageEnds;
            images_.pop_front();
            return true;
        }
        imageFile_ = std::fopen(image_.path.c_str(), "rb");
        if (!imageFile_ || fseeko(imageFile_, 0, SEEK_END) != 0 || ftello(imageFile_) < 0)
            return failImage(data);
        imageSize_ = std::uint64_t(ftello(imageFile_));
        imageDelivered_ = 0;
        if (fseeko(imageFile_, 0, SEEK_SET) != 0)
            return failImage(data);
    }
    return readImagePortion(milliseconds, data);
}

// Equal portions rounded up, so a small file still moves and no file needs more than the lead time;
// a file begun late hands over the rest in the last step before it is due.
bool CEventSequencer::readImagePortion(std::int32_t milliseconds, ImageData& data)
{
    const std::uint64_t left = imageSize_ - imageDelivered_;
    std::uint64_t portion = (std::uint64_t(milliseconds) * imageSize_ + kImageLeadMs - 1) / kImageLeadMs;
    if (std::int64_t(now_) + milliseconds >= image_.due)
        portion = left;
    portion = std::min(std::max<std::uint64_t>(portion, 1), left);
    if (!allocate(data.bytes, std::size_t(portion)))
        return failImage(data);
    if (portion > 0 && std::fread(data.bytes.data(), 1, data.bytes.size(), imageFile_) != portion)
        return failImage(data); // the file shrank under us
    data.flags |= kImageData;
    imageDelivered_ += portion;
    if (imageDelivered_ == imageSize_) {
        data.flags |= kImageEnds;
        closeImage();
        images_.pop_front();
    }
    return true;
}

void CEventSequencer::closeImage()
{
    if (imageFile_)
        std::fclose(imageFile_);
    imageFile_ = nullptr;
    imageSize_ = imageDelivered_ = 0;
}

bool CEventSequencer::failSlice(SoundSlice& slice)
{
    closeClip();
    slice = {};
    return false;
}

bool CEventSequencer::failImage(ImageData& data)
{
    closeImage();
    data = {};
    return false;
}

void CEventSequencer::reset()
{
    std::lock_guard guard(lock_);
    closeAll();
}

void CEventSequencer::clear()
{
    std::lock_guard guard(lock_);
    closeAll();
    sounds_.clear();
    images_.clear();
}

void CEventSequencer::closeAll()
{
    closeClip();
    closeImage();
    lastImage_.clear();
}

bool CEventSequencer::mix(const std::int16_t* voice, std::size_t voiceSamples, const std::int16_t* clip,
                          std::size_t clipSamples, std::int32_t milliseconds, std::int32_t volume,
                          std::vector<std::int16_t>& out)
{
    const std::int32_t clipWeight = std::clamp(volume, 0, 100) / 2;
    const std::size_t length = std::size_t(std::max(milliseconds, 0)) * 16;
    if (!allocate(out, length))
        return false;
    const std::size_t both = std::min({voiceSamples, clipSamples, length});
    for (std::size_t i = 0; i < both; ++i)
        out[i] = std::int16_t((kVoiceWeight * voice[i] + clipWeight * clip[i]) / 100);
    const bool voiceLonger = voiceSamples >= clipSamples;
    const std::int16_t* rest = voiceLonger ? voice : clip;
    const std::int32_t weight = voiceLonger ? kVoiceWeight : clipWeight;
    const std::size_t restEnd = std::min(voiceLonger ? voiceSamples : clipSamples, length);
    for (std::size_t i = both; i < restEnd; ++i)
        out[i] = std::int16_t(weight * rest[i] / 100);
    return true;
}
