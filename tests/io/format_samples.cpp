// Generates the bundled samples of the text formats from closed formulas (no random numbers),
// so that the files are reproducible on any machine.
#include "tests/io/format_samples.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;

void appendf(std::string& text, const char* format, double a, double b, double c, int group, int ring, int stop)
{
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c, group, 'A' + ring, stop);
    text += line;
}

// Values that print as zero without a minus sign in front.
double unsignedZero(double v)
{
    return std::fabs(v) < 5e-5 ? 0.0 : v;
}

}  // namespace

std::string stationsCsvText()
{
    std::string text =
        "# Four linked rings of stations; group = ring, a blank line parts the rings into sets\n"
        "x,y,z,group,\"station\"\n";
    for (int ring = 0; ring < kStationRings; ++ring) {
        if (ring > 0) {
            text += "\n";
        }
        // Like chain links: neighbours lie in planes at right angles, each through the other's centre.
        const double centre = (ring - 1.5) * 1.6;
        const double tilt = 0.25 * (ring - 1.5);
        for (int k = 0; k < kStationsPerRing; ++k) {
            const double t = 2.0 * kPi * k / kStationsPerRing;
            const double wobble = 0.08 * std::sin(5.0 * t);
            const double a = (1.0 + wobble) * std::cos(t);
            const double b = (1.0 + wobble) * std::sin(t);
            double x = centre + a, y = 0.0, z = 0.0;
            if (ring % 2 == 0) {
                y = b * std::cos(tilt);
                z = b * std::sin(tilt);
            } else {
                y = b * std::sin(tilt);
                z = b * std::cos(tilt);
            }
            appendf(text, "%.4f,%.4f,%.4f,%d,\"Ring %c, stop %d\"\n", unsignedZero(x), unsignedZero(y),
                    unsignedZero(z), ring + 1, ring, k + 1);
        }
    }
    return text;
}

std::string heightmapText()
{
    std::string text = "# Heights of a landscape: 60 rows (y) of 80 columns (x)\n";
    char value[32];
    for (int row = 0; row < kHeightmapRows; ++row) {
        const double v = static_cast<double>(row) / (kHeightmapRows - 1);
        for (int column = 0; column < kHeightmapColumns; ++column) {
            const double u = static_cast<double>(column) / (kHeightmapColumns - 1);
            const double hill = 1.4 * std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.35) * (v - 0.35)) / 0.02);
            const double knoll = 0.8 * std::exp(-((u - 0.72) * (u - 0.72) + (v - 0.68) * (v - 0.68)) / 0.035);
            const double valley = -0.5 * std::exp(-std::pow((u - 0.55 - 0.15 * std::sin(6.0 * v)) / 0.06, 2.0));
            const double swell = 0.12 * std::sin(7.0 * u) * std::cos(5.0 * v) + 0.35 * u * v;
            std::snprintf(value, sizeof value, column == 0 ? "%.4f" : " %.4f", hill + knoll + valley + swell);
            text += value;
        }
        text += "\n";
    }
    return text;
}
