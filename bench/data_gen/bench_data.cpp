// Writes the three "Data" files of the side-by-side benchmark into one folder:
// points.dat (1000 curves of 1000 points on a bumpy shell), surface.dat (a 1000 x 1000
// height field, height as y) and segments.dat (10 helices of 1001 points: 10^4 tubes).
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;

// Writes one file: a header of sets and points per set, then x y z for every point, set
// after set. The point function gets the set and point indices.
template <typename PointFn>
bool writeDataFile(const std::string& path, int sets, int points, PointFn point)
{
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "bench-data: cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(out, "%d %d\n", sets, points);
    for (int i = 0; i < sets; ++i) {
        for (int j = 0; j < points; ++j) {
            double x = 0.0, y = 0.0, z = 0.0;
            point(i, j, x, y, z);
            std::fprintf(out, "%.6f %.6f %.6f\n", x, y, z);
        }
    }
    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "bench-data: could not finish %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s: %d sets of %d points\n", path.c_str(), sets, points);
    return true;
}

// Curve i winds three times round a bumpy sphere from pole to pole; neighbouring points of a
// curve are close, so the same file serves as points and as joined line sets.
void shellPoint(int i, int j, double& x, double& y, double& z)
{
    const double golden = 0.6180339887498949;
    const double t = j / 999.0;
    const double theta = kPi * t;
    const double phi = 2.0 * kPi * golden * i + 6.0 * kPi * t;
    const double r = 3.0 + 0.5 * std::sin(7.0 * theta + 0.1 * i);
    x = r * std::sin(theta) * std::cos(phi);
    y = r * std::cos(theta);
    z = r * std::sin(theta) * std::sin(phi);
}

// Set i runs along z at x = i / 999; the height y is a product of two waves.
void surfacePoint(int i, int j, double& x, double& y, double& z)
{
    x = i / 999.0;
    z = j / 999.0;
    y = 0.3 * std::sin(6.0 * x) * std::cos(4.0 * z);
}

// Ten helices standing side by side on a circle, five turns each.
void helixPoint(int i, int j, double& x, double& y, double& z)
{
    const double t = j / 1000.0;
    const double centre = 2.0 * kPi * i / 10.0;
    const double a = 10.0 * kPi * t;
    x = 4.0 * std::cos(centre) + std::cos(a);
    y = 8.0 * t;
    z = 4.0 * std::sin(centre) + std::sin(a);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-data FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool written = writeDataFile(folder + "/points.dat", 1000, 1000, shellPoint) &&
                         writeDataFile(folder + "/surface.dat", 1000, 1000, surfacePoint) &&
                         writeDataFile(folder + "/segments.dat", 10, 1001, helixPoint);
    return written ? 0 : 1;
}
