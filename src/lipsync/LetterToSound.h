#pragma once
// A guess at the phones of an English word that the pronouncing dictionary lacks. Good enough for mouth
// shapes (the lips care little whether a vowel was lax or tense), not for speech synthesis.

#include <string>
#include <vector>

// Model phones (upper case) for a lower-case word of letters and apostrophes; empty for an empty word.
std::vector<std::string> guessPhones(const std::string& word);
