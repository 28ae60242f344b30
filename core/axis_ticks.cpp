// Axis ticks in the data's own units: round tick values, their labels, and where a raw
// value lands in the cube from -5 to 5.
#include "core/axis_ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kFewestTicks = 3;
constexpr int kMostTicks = 7;
constexpr int kWantedTicks = 5;
// Beyond this many steps from zero a tick's multiple of the step is no longer an exact
// integer in a double, and labels could not tell neighbours apart.
constexpr double kLargestStepCount = 1e13;
// A span narrower than this share of its magnitude is drawn as one value.
constexpr double kNarrowestRelativeSpan = 1e-11;
// Significant digits of a label for a lone value.
constexpr int kLoneValueDigits = 15;

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;

// n times 10^p for an integer n, as the double nearest that decimal, so that a tick is the
// very double its label names: 3 times 10^-1 is 0.3, not 0.30000000000000004.
double timesPowerOfTen(double n, int p)
{
    // Both operands exact, so one rounding: already the nearest double.
    if (p >= 0 && p <= kLargestExactPower) {
        return n * kExactPowersOfTen[p];
    }
    if (p < 0 && p >= -kLargestExactPower) {
        return n / kExactPowersOfTen[-p];
    }
    // Beyond the exact powers, the decimal text is read back by the correctly rounding parser.
    char text[64];
    const auto digits = std::to_chars(text, text + 40, static_cast<long long>(n));
    const auto exponent = std::to_chars(digits.ptr + 1, text + sizeof text, p);
    *digits.ptr = 'e';
    double value = 0.0;
    const auto read = std::from_chars(text, exponent.ptr, value);
    if (read.ec == std::errc::result_out_of_range) {
        // Beyond the double range: an infinity or zero, which the callers refuse as a step.
        return p > 0 ? (n < 0 ? -HUGE_VAL : HUGE_VAL) : 0.0;
    }
    return value;
}

int decimalExponent(double v)
{
    return static_cast<int>(std::floor(std::log10(std::fabs(v))));
}

// A step is mantissa times 10^power with mantissa 10, 20, 25 or 50, so that every tick is an
// integer times a power of ten and is computed without accumulated error.
struct StepChoice {
    int mantissa = 10;
    int power = 0;
    // The decimal place of the step's last non-zero digit (-1 for 0.5, -2 for 0.25).
    int lowestDigit() const { return mantissa == 25 ? power : power + 1; }
};

struct Candidate {
    StepChoice step;
    std::vector<double> values;
};

// The ticks of one step inside lo..hi; false when there are too many or they cannot be
// computed exactly.
bool ticksForStep(double lo, double hi, const StepChoice& step, std::vector<double>& values)
{
    const double stepValue = timesPowerOfTen(step.mantissa, step.power);
    if (!(stepValue > 0.0) || !std::isfinite(stepValue)) {
        return false;
    }
    const double first = lo / stepValue;
    const double last = hi / stepValue;
    if (!(std::fabs(first) <= kLargestStepCount) || !(std::fabs(last) <= kLargestStepCount)) {
        return false;
    }
    // The small allowance keeps an end of the range that is itself a tick (0.7 against a step
    // of 0.1 divides to 6.999...); ticks that still fall outside are dropped below.
    const double kFirst = std::ceil(first - 1e-9);
    const double kLast = std::floor(last + 1e-9);
    if (kLast - kFirst + 1 > kMostTicks + 2) {
        return false;
    }
    values.clear();
    for (double k = kFirst; k <= kLast; k += 1.0) {
        const double v = timesPowerOfTen(k * step.mantissa, step.power);
        if (v >= lo && v <= hi) {
            values.push_back(v == 0.0 ? 0.0 : v);  // never a -0 tick
        }
    }
    return true;
}

// Lower is better: near five ticks, 1, 2 and 5 before 2.5, then more ticks before fewer.
bool betterCandidate(const Candidate& a, const Candidate& b)
{
    auto penalty = [](const Candidate& c) {
        const int count = static_cast<int>(c.values.size());
        return std::abs(count - kWantedTicks) + (c.step.mantissa == 25 ? 1 : 0);
    };
    if (penalty(a) != penalty(b)) {
        return penalty(a) < penalty(b);
    }
    return a.values.size() > b.values.size();
}

// Exponent form for a whole axis, as printf's %g decides it but with at least six digits
// before it gives up fixed form, so that 200000 stays 200000.
bool wantsExponentForm(double largestMagnitude, int lowestDigit)
{
    if (largestMagnitude == 0.0) {
        return false;
    }
    const int exponent = decimalExponent(largestMagnitude);
    const int digits = exponent - lowestDigit + 1;
    return exponent < -4 || exponent >= std::max(digits, 6);
}

// Drops zeros after the decimal point and shortens the exponent ("2.50e+06" to "2.5e6").
std::string compact(std::string text)
{
    std::string exponent;
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        exponent = text.substr(e + 1);
        text.erase(e);
    }
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    if (!exponent.empty()) {
        const bool negative = exponent[0] == '-';
        std::size_t digits = exponent.find_first_not_of("+-");
        while (digits + 1 < exponent.size() && exponent[digits] == '0') {
            ++digits;
        }
        text += (negative ? "e-" : "e") + exponent.substr(digits);
    }
    return text;
}

std::string formatAt(double v, int lowestDigit, bool exponentForm)
{
    if (std::isnan(v)) {
        return "nan";
    }
    if (std::isinf(v)) {
        return v > 0 ? "inf" : "-inf";
    }
    if (v == 0.0) {
        return "0";
    }
    char buffer[128];
    std::to_chars_result result{};
    if (exponentForm) {
        const int decimals = std::clamp(decimalExponent(v) - lowestDigit, 0, 17);
        result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, decimals);
    } else {
        const int decimals = std::clamp(-lowestDigit, 0, 40);
        result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    }
    if (result.ec != std::errc()) {
        result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, kLoneValueDigits);
    }
    return compact(std::string(buffer, result.ptr));
}

std::vector<std::string> labelsFor(const std::vector<double>& values, int lowestDigit)
{
    double largest = 0.0;
    for (double v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    const bool exponentForm = wantsExponentForm(largest, lowestDigit);
    std::vector<std::string> labels;
    for (double v : values) {
        labels.push_back(formatAt(v, lowestDigit, exponentForm));
    }
    return labels;
}

AxisTicks loneTick(double v)
{
    AxisTicks ticks;
    ticks.values.push_back(v == 0.0 ? 0.0 : v);
    ticks.labels.push_back(formatTickLabel(v, 0.0));
    return ticks;
}

}  // namespace

AxisTicks niceTicks(double lo, double hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        return {};
    }
    if (lo > hi) {
        std::swap(lo, hi);
    }
    // Halves throughout, so that a span across most of the double range does not overflow.
    const double halfSpan = hi / 2.0 - lo / 2.0;
    const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
    if (lo == hi || halfSpan == 0.0 || halfSpan < magnitude * (kNarrowestRelativeSpan / 2.0)) {
        return loneTick(lo == hi ? lo : lo / 2.0 + hi / 2.0);
    }
    // The wanted step is about a fifth of the span: 10^power0 times 10 to 50.
    const double logSpan = std::log10(halfSpan) + std::log10(2.0);
    const int power0 = static_cast<int>(std::floor(logSpan - std::log10(5.0))) - 1;

    Candidate best;
    bool found = false;
    Candidate candidate;
    for (int power = power0 - 1; power <= power0 + 1; ++power) {
        for (int mantissa : {10, 20, 25, 50}) {
            candidate.step = {mantissa, power};
            if (!ticksForStep(lo, hi, candidate.step, candidate.values)) {
                continue;
            }
            const int count = static_cast<int>(candidate.values.size());
            if (count < kFewestTicks || count > kMostTicks) {
                continue;
            }
            if (!found || betterCandidate(candidate, best)) {
                best = candidate;
                found = true;
            }
        }
    }

    AxisTicks ticks;
    if (!found) {
        // Only near the ends of the double range: the two ends themselves.
        ticks.values = {lo, hi};
        ticks.step = hi - lo;
        ticks.labels = {formatTickLabel(lo, 0.0), formatTickLabel(hi, 0.0)};
        return ticks;
    }
    ticks.values = best.values;
    ticks.step = timesPowerOfTen(best.step.mantissa, best.step.power);
    ticks.labels = labelsFor(ticks.values, best.step.lowestDigit());
    return ticks;
}

std::string formatTickLabel(double value, double step)
{
    if (!std::isfinite(value) || value == 0.0) {
        return formatAt(value, 0, false);
    }
    // One digit below the step's leading one, so that steps like 0.25 keep both digits;
    // a trailing zero it leaves is dropped.
    const bool hasStep = step > 0.0 && std::isfinite(step);
    const int lowestDigit = hasStep ? decimalExponent(step) - 1 : decimalExponent(value) - (kLoneValueDigits - 1);
    // What is left of a zero tick after arithmetic (-1e-20 among steps of 0.5) is zero.
    if (hasStep && std::fabs(value) < timesPowerOfTen(5.0, lowestDigit - 1)) {
        return "0";
    }
    return formatAt(value, lowestDigit, wantsExponentForm(std::fabs(value), lowestDigit));
}

double rawToCube(double raw, const AxisMapping& axis)
{
    return (raw - axis.rawMin) * axis.scale * 10.0 - 5.0;
}

double cubeToRaw(double cube, const AxisMapping& axis)
{
    if (axis.scale == 0.0 || !std::isfinite(axis.scale)) {
        return std::nan("");
    }
    return (cube + 5.0) / (axis.scale * 10.0) + axis.rawMin;
}
