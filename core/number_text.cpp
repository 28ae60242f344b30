// Reading numbers from the text of options and saved views.
#include "core/number_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string trimmedText(const std::string& text)
{
    const std::string::size_type first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    const std::string::size_type last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool parseNumber(const std::string& text, float& value)
{
    const std::string t = trimmedText(text);
    if (t.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(t.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(parsed) || std::fabs(parsed) > 3.0e38) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

bool parseWholeNumber(const std::string& text, int& value)
{
    const std::string t = trimmedText(text);
    if (t.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < -2147483647L || parsed > 2147483647L) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool parseNumberList(const std::string& text, int count, float low, float high, float* values)
{
    std::string::size_type start = 0;
    for (int k = 0; k < count; ++k) {
        const std::string::size_type comma = text.find(',', start);
        const bool last = k == count - 1;
        if (last != (comma == std::string::npos)) {
            return false;
        }
        float value = 0.0f;
        if (!parseNumber(text.substr(start, last ? std::string::npos : comma - start), value) || value < low ||
            value > high) {
            return false;
        }
        values[k] = value;
        start = comma + 1;
    }
    return true;
}
