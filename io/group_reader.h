// The group after each point of a "Data with Color" file, taken as the whole number it should
// be, with the report of the first one that is not.
#pragma once

#include <cmath>
#include <climits>
#include <cstddef>
#include <string>

#include "io/load_result.h"
#include "io/reader_common.h"
#include "io/report_text.h"
#include "io/text_lines.h"

// A group written as a number that is not a whole one within int ("1.5"): the point keeps
// its place (the number is read whole, so nothing after it shifts), and the group is the
// number's whole part, clamped to int. The first such group is named in a warning.
class GroupReader {
public:
    int take(double value, const char* at, const char* after)
    {
        // The range test comes first: converting a double beyond int is undefined.
        if (value >= INT_MIN && value <= INT_MAX && static_cast<double>(static_cast<int>(value)) == value) {
            return static_cast<int>(value);
        }
        if (odd_++ == 0) {
            firstAt_ = at;
            firstEnd_ = after;
            firstValue_ = value;
        }
        if (std::isnan(value)) {
            return 0;
        }
        return clamped(value);
    }

    // Takes in the groups that a reader of the text after this one's found, as if this one
    // had gone on reading them.
    void append(const GroupReader& later)
    {
        if (odd_ == 0 && later.odd_ > 0) {
            firstAt_ = later.firstAt_;
            firstEnd_ = later.firstEnd_;
            firstValue_ = later.firstValue_;
        }
        odd_ += later.odd_;
    }

    void warn(const char* name, const char* begin, LoadResult& result) const
    {
        if (odd_ == 0) {
            return;
        }
        std::string line = fileLineError(name, lineNumberAt(begin, firstAt_),
                                         "group " + quotedExcerpt(firstAt_, firstEnd_) +
                                             formatLine(" is not a whole number; it is taken as %d",
                                                        std::isnan(firstValue_) ? 0 : clamped(firstValue_)));
        if (odd_ > 1) {
            line += formatLine(" (and %zu more groups like it)", odd_ - 1);
        }
        result.warnings.push_back(line);
    }

private:
    static int clamped(double v)
    {
        return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(std::trunc(v));
    }

    std::size_t odd_ = 0;
    const char* firstAt_ = nullptr;
    const char* firstEnd_ = nullptr;
    double firstValue_ = 0.0;
};
