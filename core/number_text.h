// Numbers written as text in options and saved views: whole, finite and in range, with
// nothing else on the line but surrounding blanks.
#pragma once

#include <string>

// text without the blanks (spaces, tabs, carriage returns) around it.
std::string trimmedText(const std::string& text);

// A finite number that a float holds; false for anything else, an empty text included.
bool parseNumber(const std::string& text, float& value);
// A whole number that an int holds.
bool parseWholeNumber(const std::string& text, int& value);
// count numbers separated by commas, each within [low, high], into values (left alone on failure
// only in part: the caller keeps its own copy when that matters).
bool parseNumberList(const std::string& text, int count, float low, float high, float* values);
