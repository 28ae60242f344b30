// Writes the "Data" files the benchmarks read (bench/run.sh, tools/make_bench_data/run_bench.sh):
// one shape, SETS sets of POINTS points, header "SETS POINTS" and then x y z per point.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;
const long kMaxPerAxis = 10000000;
const long kMaxPoints = 100000000;  // about 3.3 GB of text

using PointFn = void (*)(long i, long j, long sets, long points, double& x, double& y, double& z);

// The last index of an axis, never 0, so that one set or one point still gives finite values.
double lastIndex(long count)
{
    return count > 1 ? static_cast<double>(count - 1) : 1.0;
}

// Curve i winds three times round a bumpy sphere from pole to pole; neighbouring points of a
// curve are close, so the same file serves as points and as joined line sets.
void shellPoint(long i, long j, long, long points, double& x, double& y, double& z)
{
    const double golden = 0.6180339887498949;
    const double t = j / lastIndex(points);
    const double theta = kPi * t;
    const double phi = 2.0 * kPi * golden * i + 6.0 * kPi * t;
    const double r = 3.0 + 0.5 * std::sin(7.0 * theta + 0.1 * i);
    x = r * std::sin(theta) * std::cos(phi);
    y = r * std::cos(theta);
    z = r * std::sin(theta) * std::sin(phi);
}

// A height field over the unit square: set i runs along z at x = i / (SETS - 1), the height y
// a product of two waves.
void surfacePoint(long i, long j, long sets, long points, double& x, double& y, double& z)
{
    x = i / lastIndex(sets);
    z = j / lastIndex(points);
    y = 0.3 * std::sin(6.0 * x) * std::cos(4.0 * z);
}

// Helices standing side by side on a circle, five turns each whatever the number of points.
void helixPoint(long i, long j, long sets, long points, double& x, double& y, double& z)
{
    const double t = j / lastIndex(points);
    const double centre = 2.0 * kPi * i / sets;
    const double a = 10.0 * kPi * t;
    x = 4.0 * std::cos(centre) + std::cos(a);
    y = 8.0 * t;
    z = 4.0 * std::sin(centre) + std::sin(a);
}

// A number from [0, 1) that depends only on the three whole numbers (splitmix64's mixing), so
// that every walk is the same on every run and any of its steps can be found on its own.
double unitHash(std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    std::uint64_t z = a * 0x9e3779b97f4a7c15u + b * 0xbf58476d1ce4e5b9u + c * 0x94d049bb133111ebu;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

// Random walks filling the unit cube: walk i starts anywhere in it and takes steps of a
// hundredth of its edge in directions spread evenly over the sphere. Seen from anywhere,
// the walks hide little of each other, unlike the shell's curves. The walk's last point is
// kept, so that points asked for in order cost one step each.
void walkPoint(long i, long j, long, long, double& x, double& y, double& z)
{
    constexpr double kStep = 0.01;
    static long lastWalk = -1, lastPoint = -1;
    static double at[3];
    if (i != lastWalk || j != lastPoint + 1) {
        lastWalk = i;
        lastPoint = -1;
    }
    for (long k = lastPoint + 1; k <= j; ++k) {
        if (k == 0) {
            for (int axis = 0; axis < 3; ++axis) {
                at[axis] = unitHash(static_cast<std::uint64_t>(i), 0, static_cast<std::uint64_t>(axis) + 1);
            }
            continue;
        }
        const double up = 2.0 * unitHash(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(k), 4) - 1.0;
        const double round = 2.0 * kPi * unitHash(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(k), 5);
        const double across = std::sqrt(1.0 - up * up);
        at[0] += kStep * across * std::cos(round);
        at[1] += kStep * up;
        at[2] += kStep * across * std::sin(round);
    }
    lastPoint = j;
    x = at[0];
    y = at[1];
    z = at[2];
}

PointFn shapeNamed(const std::string& name)
{
    if (name == "shell") return shellPoint;
    if (name == "surface") return surfacePoint;
    if (name == "helices") return helixPoint;
    if (name == "walks") return walkPoint;
    return nullptr;
}

// A whole decimal number from 1 to the limit, or 0.
long countFrom(const char* text, long limit)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > limit) return 0;
    return value;
}

// Appends v with six decimals, as "%.6f" writes it (but for a last digit at an exact tie):
// 10^8 points written through printf would take minutes.
char* appendFixed6(char* out, double v)
{
    if (std::signbit(v)) {
        *out++ = '-';
        v = -v;
    }
    const long long millionths = std::llround(v * 1e6);
    const long long whole = millionths / 1000000, part = millionths % 1000000;
    char digits[24];
    int n = 0;
    for (long long w = whole; n == 0 || w > 0; w /= 10) {
        digits[n++] = static_cast<char>('0' + w % 10);
    }
    while (n > 0) {
        *out++ = digits[--n];
    }
    *out++ = '.';
    for (long long scale = 100000; scale > 0; scale /= 10) {
        *out++ = static_cast<char>('0' + (part / scale) % 10);
    }
    return out;
}

// Writes beside the target and renames when complete, so that a run cut short (a full disk, an
// interrupt) never leaves a file that the benchmark would take for finished data.
bool writeDataFile(const std::string& path, long sets, long points, PointFn point)
{
    const std::string partial = path + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "w");
    if (out == nullptr) {
        std::printf("make-bench-data: cannot write %s: %s\n", partial.c_str(), std::strerror(errno));
        return false;
    }
    std::fprintf(out, "%ld %ld\n", sets, points);
    for (long i = 0; i < sets; ++i) {
        for (long j = 0; j < points; ++j) {
            double x = 0.0, y = 0.0, z = 0.0;
            point(i, j, sets, points, x, y, z);
            char line[96];
            char* end = appendFixed6(line, x);
            *end++ = ' ';
            end = appendFixed6(end, y);
            *end++ = ' ';
            end = appendFixed6(end, z);
            *end++ = '\n';
            std::fwrite(line, 1, static_cast<std::size_t>(end - line), out);
        }
    }
    const bool written = !std::ferror(out);
    if (std::fclose(out) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::printf("make-bench-data: could not finish %s: %s\n", path.c_str(), std::strerror(errno));
        std::remove(partial.c_str());
        return false;
    }
    std::printf("wrote %s: %ld sets of %ld points\n", path.c_str(), sets, points);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const PointFn point = argc == 5 ? shapeNamed(argv[1]) : nullptr;
    const long sets = argc == 5 ? countFrom(argv[2], kMaxPerAxis) : 0;
    const long points = argc == 5 ? countFrom(argv[3], kMaxPerAxis) : 0;
    if (point == nullptr || sets == 0 || points == 0 || sets > kMaxPoints / points) {
        std::printf("usage: make-bench-data shell|surface|helices|walks SETS POINTS FILE\n");
        std::printf("  SETS and POINTS from 1 to %ld, at most %ld points in all\n", kMaxPerAxis, kMaxPoints);
        return 2;
    }
    return writeDataFile(argv[4], sets, points, point) ? 0 : 1;
}
