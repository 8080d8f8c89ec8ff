#include "timeline/TimelineData.h"

#include "Common/TempFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <system_error>

namespace {

template <typename Item> Item* at(TrackArray<Item>& track, int index)
{
    return index < 0 ? nullptr : track.item(index);
}

// A freshly inserted record may hold an earlier item's value; an out-of-range percentage falls
// back to full strength.
void forcePercent(std::int32_t& value)
{
    if (value < 0 || value > 100)
        value = 100;
}

template <typename Item> bool clearOver(TrackArray<Item>& track, std::uint32_t s, std::uint32_t e, bool gaps)
{
    const int index = track.insertSpan(s, e, false);
    if (index < 0)
        return false;
    track.remove(index);
    if (gaps)
        track.closeAllGaps();
    return true;
}

bool sameName(const char* field, size_t size, const std::string& name)
{
    return std::strncmp(field, name.c_str(), size) == 0 && name.size() < size;
}

void copyName(char* field, size_t size, const std::string& name)
{
    std::memset(field, 0, size);
    std::memcpy(field, name.data(), std::min(name.size(), size - 1));
}

} // namespace

TimelineData::~TimelineData()
{
    release();
}

void TimelineData::setSelection(std::int32_t start, std::int32_t end)
{
    selectionStart_ = std::max(start, 0);
    selectionEnd_ = std::max(end, selectionStart_);
}

void TimelineData::clearTracks()
{
    visemes_.clear();
    expressions_.clear();
    headTurns_.clear();
    events_.clear();
    sounds_.clear();
    std::fill(std::begin(kindCounts_), std::end(kindCounts_), 0);
}

bool TimelineData::setVoice(const std::filesystem::path& source, std::int32_t sampleCount)
{
    closeVoice();
    clearTracks();
    selectionStart_ = selectionEnd_ = 0;
    sampleCount_ = 0;
    std::error_code ignored;
    if (!voiceFile_.empty())
        std::filesystem::remove(voiceFile_, ignored);
    voiceFile_ = createTempFile("wav");
    if (voiceFile_.empty())
        return false;
    std::error_code failed;
    std::filesystem::copy_file(source, voiceFile_, std::filesystem::copy_options::overwrite_existing, failed);
    if (failed)
        return false;
    sampleCount_ = std::max(sampleCount, 0);
    return true;
}

bool TimelineData::openVoice(VoiceReader& reader)
{
    closeVoice();
    VoiceFormat format;
    std::uint32_t dataBytes = 0;
    if (voiceFile_.empty() || !reader.open(voiceFile_, format, dataBytes))
        return false;
    if (format.samplesPerSecond != 16000 || format.channels != 1 || format.bitsPerSample != 16 ||
        dataBytes / 2 > std::uint32_t(INT32_MAX)) {
        reader.close();
        return false;
    }
    voiceFormat_ = format;
    sampleCount_ = std::int32_t(dataBytes / 2);
    reader_ = &reader;
    return true;
}

void TimelineData::closeVoice()
{
    if (reader_)
        reader_->close();
    reader_ = nullptr;
}

std::vector<std::uint8_t> TimelineData::readSamples(std::size_t bytes)
{
    std::vector<std::uint8_t> buffer;
    if (!reader_ || bytes == 0)
        return buffer;
    try {
        buffer.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (!reader_->read(buffer.data(), bytes))
        return {};
    return buffer;
}

bool TimelineData::seekSamples(std::uint32_t byteOffset)
{
    return reader_ && byteOffset <= 2 * std::uint64_t(std::max(sampleCount_, 0)) && reader_->seek(byteOffset);
}

void TimelineData::release()
{
    closeVoice();
    clearTracks();
    std::error_code ignored;
    if (!voiceFile_.empty())
        std::filesystem::remove(voiceFile_, ignored);
    voiceFile_.clear();
}

VisemeItem* TimelineData::insertViseme()
{
    VisemeItem* item = at(visemes_, visemes_.insertSpan(selStart(), selEnd(), false));
    if (item)
        forcePercent(item->weight);
    return item;
}

ExpressionItem* TimelineData::insertExpression()
{
    ExpressionItem* item = at(expressions_, expressions_.insertSpan(selStart(), selEnd(), false));
    if (item)
        forcePercent(item->intensity);
    return item;
}

HeadTurnKey* TimelineData::insertHeadTurn()
{
    return at(headTurns_, headTurns_.insertSpan(selStart(), selEnd(), true));
}

SoundItem* TimelineData::insertSound()
{
    SoundItem* item = at(sounds_, sounds_.insertSpan(selStart(), selEnd(), false));
    if (item)
        forcePercent(item->volume);
    return item;
}

EventItem* TimelineData::insertPointEvent(EventKind kind)
{
    const std::uint32_t s = selStart();
    if (s == UINT32_MAX)
        return nullptr;
    selectionEnd_ = std::int32_t(s + 1);
    const int index = events_.lastStartingAtOrBefore(s) + 1;
    if (!events_.insertAt(index))
        return nullptr;
    EventItem* item = events_.item(index);
    item->start = s;
    item->end = s + 1;
    item->length = 1;
    item->kind = kind;
    ++kindCounts_[kind];
    return item;
}

EventItem* TimelineData::replaceEventAtSelection(EventKind kind)
{
    // Events are points: the replacement covers one unit whatever the selection's width, and the
    // counters follow what was actually removed and added.
    const std::uint32_t s = selStart();
    if (s == UINT32_MAX)
        return nullptr;
    EventItem* item = at(events_, events_.insertSpan(s, s + 1, false));
    if (item)
        item->kind = kind;
    recountEvents();
    return item;
}

bool TimelineData::deleteHeadTurn(int i)
{
    if (!headTurns_.remove(i))
        return false;
    headTurns_.closeAllGaps();
    return true;
}

bool TimelineData::deleteEvent(int i)
{
    const EventItem* item = events_.item(i);
    if (!item)
        return false;
    if (item->kind >= 0 && item->kind < 3)
        --kindCounts_[item->kind];
    return events_.remove(i);
}

bool TimelineData::clearVisemes()
{
    return clearOver(visemes_, selStart(), selEnd(), false);
}
bool TimelineData::clearExpressions()
{
    return clearOver(expressions_, selStart(), selEnd(), false);
}
bool TimelineData::clearHeadTurns()
{
    return clearOver(headTurns_, selStart(), selEnd(), true);
}
bool TimelineData::clearSounds()
{
    return clearOver(sounds_, selStart(), selEnd(), false);
}

bool TimelineData::clearEvents()
{
    const bool cleared = clearOver(events_, selStart(), selEnd(), false);
    recountEvents();
    return cleared;
}

bool TimelineData::setEventCount(EventKind kind, std::int32_t n)
{
    if (n < 0)
        return false;
    const std::int32_t others = events_.count() - kindCounts_[kind];
    if (!events_.setCount(others + n))
        return false;
    kindCounts_[kind] = n;
    return true;
}

EventItem* TimelineData::nthEvent(EventKind kind, std::int32_t n)
{
    if (n < 0 || n >= kindCounts_[kind])
        return nullptr;
    for (EventItem& item : events_.records())
        if (item.kind == kind && n-- == 0)
            return &item;
    return nullptr;
}

void TimelineData::recountEvents()
{
    std::fill(std::begin(kindCounts_), std::end(kindCounts_), 0);
    for (const EventItem& item : events_.records())
        if (item.kind >= 0 && item.kind < 3)
            ++kindCounts_[item.kind];
}

int TimelineData::renameImageEvents(const std::string& from, const std::string& to)
{
    int renamed = 0;
    for (EventItem& item : events_.records())
        if (item.kind == kImageEvent && sameName(item.name, sizeof item.name, from)) {
            copyName(item.name, sizeof item.name, to);
            ++renamed;
        }
    return renamed;
}

int TimelineData::deleteImageEvents(const std::string& name)
{
    int deleted = 0;
    for (int i = events_.count() - 1; i >= 0; --i) {
        const EventItem& item = *events_.item(i);
        if (item.kind == kImageEvent && sameName(item.name, sizeof item.name, name) && deleteEvent(i))
            ++deleted;
    }
    return deleted;
}

int TimelineData::renameSounds(const std::string& from, const std::string& to)
{
    int renamed = 0;
    for (SoundItem& item : sounds_.records())
        if (sameName(item.name, sizeof item.name, from)) {
            copyName(item.name, sizeof item.name, to);
            ++renamed;
        }
    return renamed;
}

int TimelineData::deleteSounds(const std::string& name)
{
    int deleted = 0;
    for (int i = sounds_.count() - 1; i >= 0; --i)
        if (sameName(sounds_.item(i)->name, sizeof(SoundItem::name), name) && sounds_.remove(i))
            ++deleted;
    return deleted;
}

void TimelineData::addObserver(TimelineObserver* observer)
{
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TimelineData::removeObserver(TimelineObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TimelineData::notifyChanged(unsigned changes)
{
    // A copy, so that an observer may remove itself (or another) while being told.
    const std::vector<TimelineObserver*> told = observers_;
    for (TimelineObserver* observer : told)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->timelineChanged(changes);
}
