#include "SREngine/SylRecog.h"

#include "SREngine/PauseTrimmer.h"
#include "SREngine/PhoneDecoder.h"
#include "SREngine/RecogResources.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace sylrecog;

constexpr int kSamplesPerFrame = 160;
constexpr size_t kMaxFrames = std::numeric_limits<uint16_t>::max();

struct RecogSession {
    CRecogResources resources;
    CPhoneDecoder decoder;
    std::vector<SylRecord> records;
    std::vector<std::string> texts; // indexed by the records' ids
};

std::unique_ptr<RecogSession> gSession;

uint16_t idOfText(RecogSession& session, const std::string& text)
{
    for (size_t i = 0; i < session.texts.size(); ++i)
        if (session.texts[i] == text)
            return static_cast<uint16_t>(i);
    session.texts.push_back(text);
    return static_cast<uint16_t>(session.texts.size() - 1);
}

// One record per speech phone keeps the decoder's timing exactly: the analysis splits a record's span
// evenly among its letters, which would smear a consonant over its vowel's frames. Frame f is heard
// through a window starting at f, whose middle lies more than a frame later; the shift moves the times
// there. A shifted phone never runs past the block's last frame.
void buildRecords(RecogSession& session, const std::vector<PhoneSegment>& segments, int frames)
{
    session.records.clear();
    session.texts.clear();
    const int shift = session.resources.shiftFrames();
    const int last = std::max(frames - 1, 0);
    for (const auto& segment : segments) {
        const std::string text = session.resources.textOfPhone(segment.phone);
        if (text.empty() || isSilencePhone(segment.phone))
            continue;
        const int start = std::min(segment.startFrame + shift, last);
        const int end = std::min(segment.endFrame + shift, last);
        if (!session.records.empty() && start <= session.records.back().endFrame)
            continue; // pushed against the block's end: nothing of its own is left
        session.records.push_back({idOfText(session, text), static_cast<uint16_t>(start),
                                   static_cast<uint16_t>(std::max(start, end))});
    }
}

// Decodes the block with its long pauses cut out (when the resource asks for it); times come back in
// frames of the whole block.
bool decodeBlock(RecogSession& session, const int16_t* samples, int count,
                 std::vector<PhoneSegment>& segments)
{
    const auto& res = session.resources;
    if (res.trimPauseFrames() == 0)
        return session.decoder.decode(samples, static_cast<size_t>(count), segments);
    CPauseTrimmer trimmer(static_cast<uint32_t>(res.trimPauseFrames()),
                          static_cast<uint32_t>(res.trimKeepFrames()), res.trimRangeDb());
    const auto& speech = trimmer.trim(samples, count);
    if (!session.decoder.decode(speech.data(), speech.size(), segments))
        return false;
    trimmer.restoreTimes(segments);
    return true;
}

} // namespace

SYLRECOG_API int ASTInit(const char* resourceFile)
{
    gSession.reset();
    if (!resourceFile)
        return kSylFailed;
    auto session = std::make_unique<RecogSession>();
    if (!session->resources.load(resourceFile) || !session->decoder.open(session->resources))
        return kSylFailed;
    gSession = std::move(session);
    return 0;
}

SYLRECOG_API int ASTGetNumTotalSyl()
{
    return gSession ? static_cast<int>(gSession->resources.texts().size()) : kSylNotReady;
}

SYLRECOG_API int ASTSylRecogSample(const int16_t* samples, int count)
{
    if (!gSession)
        return kSylNotReady;
    gSession->records.clear();
    gSession->texts.clear();
    if (count < 0 || (count > 0 && !samples))
        return kSylFailed;
    // Frame numbers travel as uint16; a longer block could not be reported truthfully.
    if (static_cast<size_t>(count) / kSamplesPerFrame > kMaxFrames)
        return kSylFailed;
    if (count < kSamplesPerFrame)
        return kSylNoResult;
    std::vector<PhoneSegment> segments;
    if (!decodeBlock(*gSession, samples, count, segments))
        return kSylFailed;
    buildRecords(*gSession, segments, count / kSamplesPerFrame);
    return gSession->records.empty() ? kSylNoResult : static_cast<int>(gSession->records.size());
}

SYLRECOG_API int ASTGetResult(SylRecord* records, int n)
{
    if (!gSession || !records || n < 0 || static_cast<size_t>(n) > gSession->records.size())
        return 0;
    std::memcpy(records, gSession->records.data(), sizeof(SylRecord) * static_cast<size_t>(n));
    return 1;
}

SYLRECOG_API int ASTGetSyl(int id, char* text)
{
    if (!text)
        return 0;
    text[0] = '\0';
    if (!gSession || id < 0 || static_cast<size_t>(id) >= gSession->texts.size())
        return 0;
    const std::string& syllable = gSession->texts[static_cast<size_t>(id)];
    const size_t length = std::min(syllable.size(), static_cast<size_t>(kSylTextCapacity - 1));
    std::memcpy(text, syllable.data(), length);
    text[length] = '\0';
    return 1;
}

SYLRECOG_API int ASTDestroy()
{
    gSession.reset();
    return 1;
}
