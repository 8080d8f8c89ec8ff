#pragma once
// The content of "SylRecog.res": decoder options, the wider options of the retry after a collapsed
// search, the collapse threshold, the frame shift of reported times, the phone-to-Bopomofo table, and for
// alignment with a known text its decoder options and pronouncing dictionary, and the options of the word
// search that stands in for a missing text.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sylrecog {

using OptionList = std::vector<std::pair<std::string, std::string>>;

constexpr int kMaxShiftFrames = 10;

class CRecogResources {
public:
    // Parses the resource text; relative model paths resolve against baseFolder. False with error() set
    // on the first bad line.
    bool parse(std::string_view text, const std::string& baseFolder);
    bool load(const std::string& path);

    const OptionList& options() const { return options_; }
    // options() with the retry lines applied over them.
    OptionList retryOptions() const;
    // options() without the phonetic search, with the alignment lines applied over them; the wider
    // variant adds the alignment retry lines, used when the narrow beams lose every path to the end.
    OptionList alignOptions() const;
    OptionList alignRetryOptions() const;
    // alignOptions() with the lines for aligning words the word search heard (rather than a given text).
    OptionList heardAlignOptions() const;
    // For recognising the words of a voice without text: alignOptions() with the pronouncing dictionary
    // and the word lines applied over them; empty when the resource has no word lines.
    OptionList wordOptions() const;
    // Words of the dictionary the word search knows: the likeliest by the language model (0: all).
    int vocabularySize() const { return vocabulary_; }
    // The pronouncing dictionary for alignment; empty when the resource names none.
    const std::string& dictionary() const { return dictionary_; }
    // Pauses cut out before the phonetic decoding: at least trimPauseFrames() long (0: none), keeping
    // trimKeepFrames() at each side, quiet by trimRangeDb() below the block's loud frames.
    int trimPauseFrames() const { return trimPause_; }
    int trimKeepFrames() const { return trimKeep_; }
    int trimRangeDb() const { return trimRange_; }
    int collapseFrames() const { return collapseFrames_; }
    // Frames added to every reported phone time (0 to kMaxShiftFrames).
    int shiftFrames() const { return shiftFrames_; }
    // Big5 text of a phone; empty for phones that produce no record (silence, noise, unknown phones).
    std::string textOfPhone(const std::string& phone) const;
    // Distinct non-empty texts of the table, in first-appearance order.
    const std::vector<std::string>& texts() const { return texts_; }
    const std::string& error() const { return error_; }

private:
    bool parseLine(std::string_view line, const std::string& baseFolder);
    bool fail(const std::string& message);

    OptionList options_;
    OptionList retry_;
    OptionList align_;
    OptionList alignRetry_;
    OptionList heardAlign_;
    OptionList words_;
    std::string dictionary_;
    int vocabulary_ = 0;
    int collapseFrames_ = 300;
    int trimPause_ = 0;
    int trimKeep_ = 0;
    int trimRange_ = 45;
    int shiftFrames_ = 0;
    std::map<std::string, std::string> phoneTexts_;
    std::vector<std::string> texts_;
    std::string error_;
    int lineNumber_ = 0;
};

} // namespace sylrecog
