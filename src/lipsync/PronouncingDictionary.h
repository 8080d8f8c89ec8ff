#pragma once
// The pronunciations of a script's words: from the decoder's pronouncing dictionary where it has them,
// else guessed from the spelling.

#include <set>
#include <string>
#include <vector>

using Pronunciation = std::vector<std::string>; // model phones, upper case

class CPronouncingDictionary {
public:
    // Keeps only the entries of the given words, so a long dictionary costs one pass and little memory.
    // Lines are "word PH ON ES", alternatives "word(2) ..."; stress digits are dropped. False when the
    // file cannot be read.
    bool load(const std::string& path, const std::set<std::string>& words);
    // At most three of the dictionary's pronunciations, else one guessed from the letters; empty when
    // the word has nothing to say.
    std::vector<Pronunciation> pronounce(const std::string& word) const;
    bool knows(const std::string& word) const;

private:
    std::vector<std::pair<std::string, Pronunciation>> entries_; // sorted by word, file order within
};
