// Writes the bundled sample files into the folder named on the command line: curves and a
// sampled surface ("Data"), point clouds with groups ("Data with Color"), surfaces as Maple
// GRID structures whose lines continue with a backslash, a NumPy array of heights, a PLY point
// cloud with colours and a gzip-compressed table whose groups are named by text.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "io/gzip_text.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Sample {
    std::string name;
    std::string text;
};

std::string format(const char* pattern, double a, double b, double c)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

// Twelve damped waves of rising frequency, one set each, side by side in z.
Sample curves()
{
    const int sets = 12, points = 120;
    std::string text = std::to_string(sets) + " " + std::to_string(points) + "\n";
    for (int s = 0; s < sets; ++s) {
        for (int p = 0; p < points; ++p) {
            const double t = 10.0 * p / (points - 1);
            const double y = std::exp(-0.25 * t) * std::sin((1.0 + 0.35 * s) * t);
            text += format("%.6f %.6f %.6f\n", t, y, 0.5 * s);
        }
    }
    return {"curves.dat", text};
}

// Three intertwined helices of 200 points.
Sample helices()
{
    const int sets = 3, points = 200;
    std::string text = std::to_string(sets) + " " + std::to_string(points) + "\n";
    for (int s = 0; s < sets; ++s) {
        for (int p = 0; p < points; ++p) {
            const double t = 6.0 * kPi * p / (points - 1);
            const double phase = 2.0 * kPi * s / sets;
            text += format("%.6f %.6f %.6f\n", std::cos(t + phase), t / (2.0 * kPi), std::sin(t + phase));
        }
    }
    return {"helices.dat", text};
}

// The sombrero sin(r)/r sampled on a 30 x 30 grid, one set per line of constant x.
Sample surface()
{
    const int n = 30;
    std::string text = std::to_string(n) + " " + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            // z falls along each set, so the flat normal of each cell points up, towards the lights.
            const double x = -8.0 + 16.0 * i / (n - 1), z = 8.0 - 16.0 * j / (n - 1);
            const double r = std::hypot(x, z);
            text += format("%.5f %.5f %.6f\n", x, r < 1e-9 ? 1.0 : std::sin(r) / r, z);
        }
    }
    return {"surface.dat", text};
}

// A normal deviate from two uniform ones (Box-Muller), the same on every platform.
double gaussian(std::mt19937& rng)
{
    const double u = (rng() + 1.0) / 4294967297.0, v = rng() / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
}

// Six clusters of 200 points, one set and one group (1 to 6) each.
Sample clusters()
{
    std::mt19937 rng(1234);
    const int sets = 6, points = 200;
    std::string text = std::to_string(sets) + " " + std::to_string(points) + "\n";
    for (int s = 0; s < sets; ++s) {
        const double angle = 2.0 * kPi * s / sets;
        const double cx = 4.0 * std::cos(angle), cy = 0.8 * (s % 3), cz = 4.0 * std::sin(angle);
        for (int p = 0; p < points; ++p) {
            text += format("%.4f %.4f %.4f", cx + gaussian(rng), cy + 0.5 * gaussian(rng), cz + gaussian(rng));
            text += " " + std::to_string(s + 1) + "\n";
        }
    }
    return {"clusters.cdat", text};
}

// Four concentric spheres of 300 points, in groups 0, 2, 4 and 7 (red, blue, magenta, orange).
Sample shells()
{
    const int kShellGroups[] = {0, 2, 4, 7};
    const int sets = 4, points = 300;
    std::string text = std::to_string(sets) + " " + std::to_string(points) + "\n";
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int s = 0; s < sets; ++s) {
        const double radius = 1.0 + s;
        for (int p = 0; p < points; ++p) {
            const double y = 1.0 - 2.0 * (p + 0.5) / points;
            const double ring = std::sqrt(1.0 - y * y);
            const double a = golden * p;
            text += format("%.4f %.4f %.4f", radius * ring * std::cos(a), radius * y, radius * ring * std::sin(a));
            text += " " + std::to_string(kShellGroups[s]) + "\n";
        }
    }
    return {"shells.cdat", text};
}

// A value as Maple writes a float: no zero in front of the decimal point.
std::string mapleNumber(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", std::fabs(v) < 1e-12 ? 0.0 : v);
    std::string s = buffer;
    if (s.find_first_of(".e") == std::string::npos) {
        s += ".";
    }
    if (s.rfind("0.", 0) == 0 && s.size() > 2) {
        s.erase(0, 1);
    } else if (s.rfind("-0.", 0) == 0 && s.size() > 3) {
        s.erase(1, 1);
    }
    return s;
}

// An n x n GRID over [lo, hi]^2, its text broken into lines of 79 characters that end in a
// backslash, numbers split wherever the line ends (but never the closing "]]").
std::string mapleGrid(int n, double lo, double hi, double (*f)(double, double))
{
    const std::string range = mapleNumber(lo) + " .. " + mapleNumber(hi);
    std::string body = "GRID(" + range + "," + range + ",Array(1.." + std::to_string(n) + ",1.." + std::to_string(n) +
                       ",[[";
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double x = lo + (hi - lo) * i / (n - 1), y = lo + (hi - lo) * j / (n - 1);
            body += mapleNumber(f(x, y));
            body += j + 1 < n ? "," : (i + 1 < n ? "],[" : "]]))");
        }
    }
    std::string text;
    std::size_t at = 0;
    while (body.size() - at > 79) {
        std::size_t length = 79;
        if (body[at + length - 1] == ']' && body[at + length] == ']') {
            --length;
        }
        text += body.substr(at, length) + "\\\n";
        at += length;
    }
    return text + body.substr(at) + "\n";
}

Sample saddle()
{
    return {"saddle.mpl", mapleGrid(25, -2.0, 2.0, [](double x, double y) { return x * x - y * y; })};
}

Sample ripple()
{
    return {"ripple.mpl", mapleGrid(40, -3.0, 3.0, [](double x, double y) {
                return std::cos(x * x + y * y) * std::exp(-0.15 * (x * x + y * y));
            })};
}

// A crater: a ring wall around a hollow, as a 48 x 64 float32 NumPy array of heights (C order).
Sample crater()
{
    const int rows = 48, columns = 64;
    std::string header = "{'descr': '<f4', 'fortran_order': False, 'shape': (" + std::to_string(rows) + ", " +
                         std::to_string(columns) + "), }";
    header.append((64 - (10 + header.size() + 1) % 64) % 64, ' ');
    header += '\n';
    std::string text = "\x93NUMPY";
    text += {'\x01', '\x00', static_cast<char>(header.size() & 0xff), static_cast<char>(header.size() >> 8)};
    text += header;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const double x = (j - columns / 2.0) / (columns / 2.0), y = (i - rows / 2.0) / (rows / 2.0);
            const double r = std::hypot(x, y);
            const float z = static_cast<float>(std::exp(-std::pow((r - 0.6) / 0.15, 2)) -
                                               0.5 * std::exp(-std::pow(r / 0.35, 2)) + 0.05 * std::sin(6.0 * x));
            std::uint32_t bits;
            std::memcpy(&bits, &z, sizeof bits);
            for (int b = 0; b < 4; ++b) {
                text += static_cast<char>((bits >> (8 * b)) & 0xff);
            }
        }
    }
    return {"crater.npy", text};
}

// A torus of 4000 points as a binary PLY cloud, coloured by the angle around its ring.
Sample torus()
{
    const int points = 4000;
    std::string text = "ply\nformat binary_little_endian 1.0\ncomment written by make_samples\nelement vertex " +
                       std::to_string(points) +
                       "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
                       "property uchar green\nproperty uchar blue\nend_header\n";
    const auto putFloat = [&](double v) {
        const float f = static_cast<float>(v);
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        for (int b = 0; b < 4; ++b) {
            text += static_cast<char>((bits >> (8 * b)) & 0xff);
        }
    };
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int k = 0; k < points; ++k) {
        const double u = 2.0 * kPi * k / points, v = golden * k;
        putFloat((3.0 + std::cos(v)) * std::cos(u));
        putFloat(std::sin(v));
        putFloat((3.0 + std::cos(v)) * std::sin(u));
        // Red, green and blue each peak a third of the way round after the other.
        for (int c = 0; c < 3; ++c) {
            text += static_cast<char>(std::lround(127.5 + 127.5 * std::cos(u - 2.0 * kPi * c / 3.0)));
        }
    }
    return {"torus.ply", text};
}

// Three species of 60 flowers each, measured thrice, as a table compressed with gzip whose
// fourth column names the species.
Sample flowers()
{
    std::mt19937 rng(77);
    const struct {
        const char* name;
        double length, width, sepal;
    } kinds[] = {{"setosa", 1.5, 0.25, 5.0}, {"versicolor", 4.3, 1.3, 5.9}, {"virginica", 5.6, 2.0, 6.6}};
    std::string text = "# three species of flowers, measured in cm\npetal_length,petal_width,sepal_length,species\n";
    for (int k = 0; k < 180; ++k) {
        const auto& kind = kinds[k % 3];
        char row[96];
        std::snprintf(row, sizeof row, "%.2f,%.2f,%.2f,%s\n", kind.length + 0.3 * gaussian(rng),
                      kind.width + 0.15 * gaussian(rng), kind.sepal + 0.35 * gaussian(rng), kind.name);
        text += row;
    }
    return {"flowers.csv.gz", gzipCompressed(text, 9)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples <folder>\n");
        return 2;
    }
    for (const Sample& sample :
         {curves(), helices(), surface(), clusters(), shells(), saddle(), ripple(), crater(), torus(), flowers()}) {
        const std::string path = std::string(argv[1]) + "/" + sample.name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(sample.text.data(), 1, sample.text.size(), f) != sample.text.size()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::fclose(f);
        std::printf("%s: %zu bytes\n", path.c_str(), sample.text.size());
    }
    return 0;
}
