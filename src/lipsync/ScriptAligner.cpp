#include "lipsync/ScriptAligner.h"

#include "lipsync/PhonemeTables.h"
#include "lipsync/PronouncingDictionary.h"
#include "lipsync/ScriptText.h"
#include "SREngine/RecogResources.h"
#include "SREngine/TextAligner.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// A block holds 60 s of speech: at a brisk five words a second, 300 words. The window is wider so that
// a slow start of the text never starves a block.
constexpr size_t kWindowWords = 250;
// A later block may open up to this many words after the cursor: the words heard at the end of the
// previous block are re-heard here, and some of them may have been missed there.
constexpr int kEntryWords = 12;
// Words kept before the first word heard in the next block, since the cut may fall inside one.
constexpr size_t kCursorMargin = 2;

void copyText(char (&field)[10], const std::string& text)
{
    const size_t length = std::min<size_t>(text.size() & ~size_t{1}, 8);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

} // namespace

struct CScriptAligner::State {
    sylrecog::CRecogResources resources;
    sylrecog::CTextAligner aligner;
    std::vector<sylrecog::AlignWord> words;
    std::set<int> found;
    size_t cursor = 0;
    bool firstBlock = true;
    // Ids go on rising over restarts: the decoder keeps the phones of every id it was given.
    int nextId = 0;

    std::vector<sylrecog::AlignWord> window() const
    {
        const size_t end = std::min(words.size(), cursor + kWindowWords);
        return {words.begin() + static_cast<long>(cursor), words.begin() + static_cast<long>(end)};
    }

    PhonemeEntry entryOf(const sylrecog::AlignedPhone& phone) const
    {
        PhonemeEntry entry;
        entry.start = static_cast<uint32_t>(phone.startFrame);
        entry.end = static_cast<uint32_t>(phone.endFrame) + 1;
        entry.length = entry.end - entry.start;
        const std::string text = resources.textOfPhone(phone.phone);
        copyText(entry.syllable, text);
        copyText(entry.symbol, text.substr(0, 2));
        entry.phoneme = phonemeOfModelPhone(phone.phone);
        return entry;
    }

    // The next block starts at the first word heard at or after its start, less a margin.
    void advanceCursor(const std::vector<sylrecog::AlignedPhone>& phones, uint32_t nextBlockFrame)
    {
        size_t next = cursor;
        bool seen = false;
        for (const auto& phone : phones) {
            if (phone.word < 0)
                continue;
            const size_t index = cursor + static_cast<size_t>(phone.word);
            if (static_cast<uint32_t>(phone.startFrame) >= nextBlockFrame) {
                next = index;
                seen = true;
                break;
            }
            next = index + 1;
        }
        if (seen || next > cursor)
            cursor = std::max(cursor, next > kCursorMargin ? next - kCursorMargin : 0);
        cursor = std::min(cursor, words.size());
    }
};

CScriptAligner::CScriptAligner() : state_(std::make_unique<State>()) {}
CScriptAligner::~CScriptAligner() = default;

bool CScriptAligner::open(const std::string& resourceFile, std::string_view script, bool heardWords)
{
    state_ = std::make_unique<State>();
    if (scriptWords(script).empty() || !state_->resources.load(resourceFile))
        return false;
    return prepareWords(script) && state_->aligner.open(state_->resources, heardWords);
}

bool CScriptAligner::restart(std::string_view script)
{
    return prepareWords(script);
}

bool CScriptAligner::prepareWords(std::string_view script)
{
    auto& state = *state_;
    state.words.clear();
    state.found.clear();
    state.cursor = 0;
    state.firstBlock = true;
    const auto words = scriptWords(script);
    CPronouncingDictionary dictionary;
    const std::set<std::string> wanted(words.begin(), words.end());
    if (!state.resources.dictionary().empty())
        dictionary.load(state.resources.dictionary(), wanted); // without it every word is guessed
    for (size_t i = 0; i < words.size(); ++i) {
        sylrecog::AlignWord word;
        word.id = state.nextId + static_cast<int>(i);
        word.pronunciations = dictionary.pronounce(words[i]);
        if (!word.pronunciations.empty())
            state.words.push_back(std::move(word));
    }
    state.nextId += static_cast<int>(words.size());
    return !state.words.empty();
}

size_t CScriptAligner::wordCount() const
{
    return state_->words.size();
}

void CScriptAligner::setKnownLimit(size_t limit)
{
    state_->aligner.setKnownLimit(limit);
}

size_t CScriptAligner::knownWords() const
{
    return state_->aligner.knownWords();
}

size_t CScriptAligner::wordsFound() const
{
    return state_->found.size();
}

void CScriptAligner::alignBlock(const int16_t* samples, int count, bool lastBlock, uint32_t nextBlockFrame,
                                BlockAlignment& out)
{
    out = BlockAlignment();
    const uint32_t frames = count > 0 ? static_cast<uint32_t>(count) / 160 : 0;
    auto& state = *state_;
    const auto window = state.window();
    sylrecog::AlignRequest request;
    request.entryWords = state.firstBlock ? 1 : kEntryWords;
    request.mayEndEarly = true;
    state.firstBlock = false;
    std::vector<sylrecog::AlignedPhone> phones;
    if (window.empty() ||
        !state.aligner.align(samples, static_cast<size_t>(std::max(count, 0)), window, request, phones)) {
        if (frames > 0)
            out.unmatched.push_back({0, frames});
        return;
    }
    for (const auto& phone : phones) {
        if (phone.unmatched) {
            const uint32_t start = static_cast<uint32_t>(phone.startFrame);
            const uint32_t end = static_cast<uint32_t>(phone.endFrame) + 1;
            if (!out.unmatched.empty() && out.unmatched.back().end >= start)
                out.unmatched.back().end = end;
            else
                out.unmatched.push_back({start, end});
        } else if (phone.word >= 0) {
            out.entries.push_back(state.entryOf(phone));
            state.found.insert(window[static_cast<size_t>(phone.word)].id);
        }
    }
    if (!lastBlock)
        state.advanceCursor(phones, nextBlockFrame);
}

std::vector<FrameSpan> phoneticPieces(const std::vector<FrameSpan>& unmatched, uint32_t frames)
{
    constexpr uint32_t kContextFrames = 50;
    std::vector<FrameSpan> pieces;
    uint32_t covered = 0;
    for (const auto& span : unmatched) {
        const uint32_t start = span.start > kContextFrames ? span.start - kContextFrames : 0;
        const uint32_t end = std::min(frames, span.end + kContextFrames);
        if (start >= end)
            continue;
        if (!pieces.empty() && start <= pieces.back().end) {
            covered += end > pieces.back().end ? end - pieces.back().end : 0;
            pieces.back().end = std::max(pieces.back().end, end);
        } else {
            pieces.push_back({start, end});
            covered += end - start;
        }
    }
    if (covered * 2 > frames)
        return {{0, frames}};
    return pieces;
}

std::vector<PhonemeEntry> mergeWithPhonetic(const BlockAlignment& alignment,
                                            const std::vector<PhonemeEntry>& phonetic)
{
    std::vector<PhonemeEntry> merged = alignment.entries;
    for (const auto& span : alignment.unmatched)
        for (const auto& entry : phonetic) {
            const uint32_t start = std::max(entry.start, span.start);
            const uint32_t end = std::min(entry.end, span.end);
            if (start >= end)
                continue;
            PhonemeEntry cut = entry;
            cut.start = start;
            cut.end = end;
            cut.length = end - start;
            merged.push_back(cut);
        }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const PhonemeEntry& a, const PhonemeEntry& b) { return a.start < b.start; });
    return merged;
}
