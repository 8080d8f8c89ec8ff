#pragma once
// A smaller vocabulary for the word search: the words of the pronouncing dictionary that the language
// model finds likeliest on their own. The search's tree of words, its memory and most of its time grow
// with the vocabulary, and the rarest words are the ones it mishears most.

#include <cstddef>
#include <string>

namespace sylrecog {

// Writes to outPath the dictionary lines (every pronunciation) of the limit words of dictionaryPath with
// the highest unigram probability in the language model at lmPath; words the model lacks are left out.
// False, with nothing left at outPath, when a file cannot be read or written or no word is kept.
bool writeLikeliestWords(const std::string& lmPath, const std::string& dictionaryPath, size_t limit,
                         const std::string& outPath);

} // namespace sylrecog
