#pragma once
// The words of a typed script as the pronouncing dictionary spells them: lower case, without punctuation,
// numbers written out.

#include <string>
#include <string_view>
#include <vector>

// Splits UTF-8 text into words: letters (accented Latin letters lose their accents) and apostrophes inside
// a word; digits become number words ("42" -> "forty two", "3.5" -> "three point five", "1st" -> "first",
// "1984" -> "nineteen eighty four", "1,000" -> "one thousand"); "&", "%" and "+" are spoken; everything
// else separates words.
std::vector<std::string> scriptWords(std::string_view utf8);

// The words of a whole number below one trillion, as scriptWords writes them.
std::vector<std::string> numberWords(unsigned long long value);
