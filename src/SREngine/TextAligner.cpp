#include "SREngine/TextAligner.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sphinxbase/fsg_model.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace sylrecog {
namespace {

// Prices of the grammar's ways round the text, as probabilities of the transitions. A word heard as free
// phones pays the entry once and every phone after it; these were tuned on synthesised voices so that a
// spoken word is almost never given up while a word that is not there is.
// Prices of the grammar's ways round the text, as probabilities of the transitions. A word heard as free
// phones pays the entry once; a free phone costs what a phone of the text costs. Chosen on the tuning
// voices with the texts of other sentences: dearer free phones make the text claim words that are not
// there (a third of them at 0.1), while at twice the price of a text phone every word is given up.
constexpr double kGarbageEntry = 1e-2;
constexpr double kGarbagePhone = 1.0;
constexpr double kPause = 0.5;
constexpr double kLateEntry = 1e-3;
constexpr double kEarlyEnd = 1e-3;

const char* const kPauseWord = "sil";

// Free phones stand for speech the text does not account for; a few broad ones serve (their identity is
// not used), and each one more costs memory and time in every word of the grammar.
const std::vector<std::string>& garbagePhones()
{
    static const std::vector<std::string> phones{"AA", "IY", "UW", "ER", "M", "F", "S", "T", "N", "K"};
    return phones;
}
const char* const kGarbagePrefix = "g.";

std::string lower(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string upper(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string tokenOf(int id, size_t variant, size_t phone)
{
    char token[48];
    std::snprintf(token, sizeof token, "w%d.%zu.%zu", id, variant, phone);
    return token;
}

// Writes the grammar in the decoder's text form: start state, then states b0..bN between the words, the
// final state and the tail where an early end hears the rest of the block as free phones.
class GrammarBuilder {
public:
    GrammarBuilder(const std::vector<AlignWord>& words, const AlignRequest& request)
        : words_(words), request_(request)
    {
    }

    std::string build()
    {
        const int n = static_cast<int>(words_.size());
        states_ = n + 4;
        const int head = 0, final = boundary(n) + 1, tail = final + 1;
        addNull(head, boundary(0), 1.0);
        const int entries = std::clamp(request_.entryWords, 1, n);
        if (entries > 1) {
            addPhoneLoop(head, head, kGarbagePhone);
            for (int k = 1; k < entries; ++k)
                addNull(head, boundary(k), kLateEntry);
        }
        add(head, head, kPause, kPauseWord);
        for (int i = 0; i < n; ++i)
            addWord(i);
        addNull(boundary(n), final, 1.0);
        if (request_.mayEndEarly) {
            for (int k = 0; k < n; ++k)
                addNull(boundary(k), tail, kEarlyEnd);
            addPhoneLoop(tail, tail, kGarbagePhone);
            add(tail, tail, kPause, kPauseWord);
            addNull(tail, final, 1.0);
        }
        std::ostringstream text;
        text << "FSG_BEGIN align\nNUM_STATES " << states_ << "\nSTART_STATE " << head << "\nFINAL_STATE "
             << final << "\n"
             << lines_.str() << "FSG_END\n";
        return text.str();
    }

private:
    static int boundary(int i) { return i + 1; }

    void add(int from, int to, double probability, const std::string& word)
    {
        char number[32];
        std::snprintf(number, sizeof number, "%g", probability);
        lines_ << "TRANSITION " << from << ' ' << to << ' ' << number << ' ' << word << '\n';
    }

    void addNull(int from, int to, double probability)
    {
        char number[32];
        std::snprintf(number, sizeof number, "%g", probability);
        lines_ << "TRANSITION " << from << ' ' << to << ' ' << number << '\n';
    }

    void addPhoneLoop(int from, int to, double probability)
    {
        for (const auto& phone : garbagePhones())
            add(from, to, probability, kGarbagePrefix + lower(phone));
    }

    void addWord(int i)
    {
        const int from = boundary(i), to = boundary(i + 1);
        const auto& word = words_[static_cast<size_t>(i)];
        for (size_t v = 0; v < word.pronunciations.size(); ++v) {
            const auto& phones = word.pronunciations[v];
            int at = from;
            for (size_t j = 0; j < phones.size(); ++j) {
                const int next = j + 1 == phones.size() ? to : states_++;
                add(at, next, 1.0, tokenOf(word.id, v, j));
                at = next;
            }
        }
        // The word heard as free phones: at least one, so that no chain of empty moves runs through the
        // text (the decoder would close it over every pair of words).
        const int garbage = states_++;
        addPhoneLoop(from, garbage, kGarbageEntry * kGarbagePhone);
        addPhoneLoop(garbage, garbage, kGarbagePhone);
        addNull(garbage, to, 1.0);
        add(to, to, kPause, kPauseWord);
    }

    const std::vector<AlignWord>& words_;
    const AlignRequest& request_;
    int states_ = 0;
    std::ostringstream lines_;
};

bool isPause(const std::string& name)
{
    return name == kPauseWord || name.empty() || name.front() == '<' || name.front() == '[' ||
           name.front() == '(' || name.front() == '+';
}

// "w<id>.<variant>.<phone>" back to the word's index and its phone.
bool parseToken(const std::string& name, const std::map<int, size_t>& indexOfId,
                const std::vector<AlignWord>& words, AlignedPhone& phone)
{
    int id = 0;
    size_t variant = 0, at = 0;
    if (std::sscanf(name.c_str(), "w%d.%zu.%zu", &id, &variant, &at) != 3)
        return false;
    const auto it = indexOfId.find(id);
    if (it == indexOfId.end())
        return false;
    const auto& pronunciations = words[it->second].pronunciations;
    if (variant >= pronunciations.size() || at >= pronunciations[variant].size())
        return false;
    phone.phone = pronunciations[variant][at];
    phone.word = static_cast<int>(it->second);
    return true;
}

} // namespace

namespace {

const char* const kBeamOptions[] = {"-beam", "-pbeam", "-wbeam"};

} // namespace

std::vector<std::pair<std::string, double>> CTextAligner::beamsOf(const OptionList& options)
{
    std::vector<std::pair<std::string, double>> beams;
    for (const char* name : kBeamOptions)
        for (const auto& option : options)
            if (option.first == name)
                beams.emplace_back(name, std::atof(option.second.c_str()));
    return beams;
}

void CTextAligner::setBeams(ps_decoder_s* decoder, const std::vector<std::pair<std::string, double>>& beams)
{
    // A search reads its beams from the configuration when it is made, so the next grammar set uses them.
    for (const auto& [name, value] : beams)
        cmd_ln_set_float_r(ps_get_config(decoder), name.c_str(), value);
}

bool CTextAligner::open(const CRecogResources& resources, bool heardWords)
{
    err_set_logfp(nullptr); // as for the phonetic decoder: no diagnostics on the host's stderr
    options_ = heardWords ? resources.heardAlignOptions() : resources.alignOptions();
    narrow_ = createSphinxDecoder(options_);
    narrowWords_.clear();
    narrowBeams_ = beamsOf(options_);
    wideBeams_ = beamsOf(resources.alignRetryOptions());
    shiftFrames_ = resources.shiftFrames();
    return narrow_ != nullptr;
}

bool CTextAligner::addWords(ps_decoder_s* decoder, std::set<std::string>& known,
                            const std::vector<AlignWord>& words)
{
    auto addOne = [&](const std::string& word, const std::string& phone) {
        if (known.count(word))
            return true;
        if (ps_add_word(decoder, word.c_str(), phone.c_str(), FALSE) < 0)
            return false;
        known.insert(word);
        return true;
    };
    bool ok = addOne(kPauseWord, "SIL");
    for (const auto& phone : garbagePhones())
        ok = ok && addOne(kGarbagePrefix + lower(phone), phone);
    for (const auto& word : words)
        for (size_t v = 0; v < word.pronunciations.size(); ++v)
            for (size_t j = 0; j < word.pronunciations[v].size(); ++j)
                ok = ok && addOne(tokenOf(word.id, v, j), word.pronunciations[v][j]);
    return ok;
}

size_t CTextAligner::newWords(const std::vector<AlignWord>& words) const
{
    size_t count = 0;
    for (const auto& word : words)
        for (size_t v = 0; v < word.pronunciations.size(); ++v)
            for (size_t j = 0; j < word.pronunciations[v].size(); ++j)
                count += narrowWords_.count(tokenOf(word.id, v, j)) == 0;
    return count;
}

bool CTextAligner::makeRoom(const std::vector<AlignWord>& words)
{
    if (narrowWords_.size() + newWords(words) <= knownLimit_)
        return true;
    // The old decoder goes first, so that two models are never held at once.
    narrow_.reset();
    narrowWords_.clear();
    narrow_ = createSphinxDecoder(options_);
    return narrow_ != nullptr;
}

bool CTextAligner::alignWith(ps_decoder_s* decoder, const int16_t* samples, size_t count,
                             const std::vector<AlignWord>& words, const AlignRequest& request,
                             std::vector<AlignedPhone>& out)
{
    out.clear();
    std::string grammar = GrammarBuilder(words, request).build();
    FILE* source = fmemopen(grammar.data(), grammar.size(), "r");
    if (!source)
        return false;
    fsg_model_t* fsg =
        fsg_model_read(source, ps_get_logmath(decoder), cmd_ln_float32_r(ps_get_config(decoder), "-lw"));
    std::fclose(source);
    if (!fsg)
        return false;
    const bool searchSet = ps_set_fsg(decoder, "align", fsg) == 0 && ps_set_search(decoder, "align") == 0;
    fsg_model_free(fsg); // the search keeps its own reference
    if (!searchSet || ps_start_utt(decoder) < 0)
        return false;
    if (ps_process_raw(decoder, samples, count, FALSE, TRUE) < 0) {
        ps_end_utt(decoder);
        return false;
    }
    int32 score = 0;
    if (ps_end_utt(decoder) < 0 || !ps_get_hyp(decoder, &score))
        return false;
    std::map<int, size_t> indexOfId;
    for (size_t i = 0; i < words.size(); ++i)
        indexOfId[words[i].id] = i;
    const int lastFrame = std::max(static_cast<int>(count / 160) - 1, 0);
    for (ps_seg_t* seg = ps_seg_iter(decoder); seg; seg = ps_seg_next(seg)) {
        AlignedPhone phone;
        const std::string name = ps_seg_word(seg);
        ps_seg_frames(seg, &phone.startFrame, &phone.endFrame);
        phone.startFrame = std::min(phone.startFrame + shiftFrames_, lastFrame);
        phone.endFrame = std::min(phone.endFrame + shiftFrames_, lastFrame);
        if (name.rfind(kGarbagePrefix, 0) == 0) {
            phone.phone = upper(name.substr(2));
            phone.unmatched = true;
        } else if (!isPause(name) && !parseToken(name, indexOfId, words, phone)) {
            continue;
        }
        if (!out.empty() && phone.startFrame <= out.back().endFrame)
            phone.startFrame = out.back().endFrame + 1;
        if (phone.endFrame >= phone.startFrame)
            out.push_back(std::move(phone));
    }
    return true;
}

bool CTextAligner::align(const int16_t* samples, size_t count, const std::vector<AlignWord>& words,
                         const AlignRequest& request, std::vector<AlignedPhone>& out)
{
    retried_ = false;
    out.clear();
    if (!narrow_ || words.empty() || count < 160 || !makeRoom(words))
        return false;
    if (addWords(narrow_.get(), narrowWords_, words) &&
        alignWith(narrow_.get(), samples, count, words, request, out))
        return true;
    // The wider beams on the same decoder: a second one would hold another copy of the model.
    retried_ = true;
    setBeams(narrow_.get(), wideBeams_);
    const bool aligned = alignWith(narrow_.get(), samples, count, words, request, out);
    setBeams(narrow_.get(), narrowBeams_);
    return aligned;
}

} // namespace sylrecog
