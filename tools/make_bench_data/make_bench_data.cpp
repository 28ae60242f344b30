// Writes "Data" files for timing the frame: SETS sets of POINTS points each on a
// wavy surface, so the same file serves points, line sets and surfaces.
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make-bench-data SETS POINTS FILE\n");
        return 2;
    }
    const long sets = std::strtol(argv[1], nullptr, 10);
    const long points = std::strtol(argv[2], nullptr, 10);
    if (sets < 1 || points < 1 || sets > 100000 || points > 100000) {
        std::fprintf(stderr, "make-bench-data: SETS and POINTS must be 1 to 100000\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[3], "w");
    if (out == nullptr) {
        std::fprintf(stderr, "make-bench-data: cannot write %s\n", argv[3]);
        return 1;
    }
    std::fprintf(out, "%ld %ld\n", sets, points);
    for (long i = 0; i < sets; ++i) {
        for (long j = 0; j < points; ++j) {
            const double x = static_cast<double>(i) / sets;
            const double z = static_cast<double>(j) / points;
            const double y = std::sin(6.0 * x) * std::cos(4.0 * z);
            std::fprintf(out, "%.5f %.5f %.5f\n", x, y, z);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
