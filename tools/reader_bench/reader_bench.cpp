// Measures the parse throughput of the readers on generated files of 10^4, 10^5 and 10^6
// points (Data, Data with Color, and Columns as a CSV with a header), a 1000 x 1000 Maple
// grid and a 1000 x 1000 Matrix, beside the floor of reading the same file into memory and a
// plain fscanf loop over the same values; then the binary readers (NumPy, PLY) on 10^7 points
// from the page cache with the memory they take beyond the data they build, and text files
// compressed with gzip beside the plain ones (rates in bytes of text, after decompression).
// Usage: reader_bench [folder for the files]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/modes.h"
#include "io/data_loader.h"
#include "io/file_buffer.h"
#include "io/gzip_text.h"
#include "tools/peak_memory.h"

namespace {

// The processor time of this process (user and system): on a machine shared with other work
// it measures the program itself, where the wall clock would also count the waiting.
double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double secondsOf(const std::function<void()>& run)
{
    // The median of several runs: at least five, and at least half a second in all.
    std::vector<double> times;
    double total = 0.0;
    while (times.size() < 5 || (total < 0.5 && times.size() < 51)) {
        const double start = processSeconds();
        run();
        times.push_back(processSeconds() - start);
        total += times.back();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The readers report every load on standard output; the measurements keep it quiet.
void quietly(const std::function<void()>& run)
{
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
    run();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

std::string writeFile(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

std::string pointsText(long points, bool withGroups, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::string text = std::to_string(points / 1000) + " 1000\n";
    char line[128];
    for (long k = 0; k < points; ++k) {
        int n = std::snprintf(line, sizeof line, "%.6f %.6f %.6f", value(rng), value(rng), value(rng));
        if (withGroups) {
            n += std::snprintf(line + n, sizeof line - n, " %d", static_cast<int>(rng() % 50));
        }
        text.append(line, n).push_back('\n');
    }
    return text;
}

std::string mapleText(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::string body = "GRID(-2. .. 2.,-2. .. 2.,Array(1.." + std::to_string(n) + ",1.." + std::to_string(n) + ",[[";
    char number[64];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            body.append(number, std::snprintf(number, sizeof number, "%.10g", value(rng)));
            body += j + 1 < n ? "," : (i + 1 < n ? "],[" : "]]))");
        }
    }
    // Lines of at most 80 characters, continued with a backslash after a comma, so that the
    // fscanf loop below can read the same values.
    std::string text;
    std::size_t at = 0;
    while (body.size() - at > 80) {
        const std::size_t comma = body.rfind(',', at + 79);
        text += body.substr(at, comma + 1 - at) + "\\\n";
        at = comma + 1;
    }
    return text + body.substr(at) + "\n";
}

void fscanfPoints(const std::string& path, bool withGroups)
{
    FILE* f = std::fopen(path.c_str(), "r");
    int nx = 0, perSet = 0, group = 0;
    char header[80];
    if (std::fgets(header, sizeof header, f) == nullptr || std::sscanf(header, "%d %d ", &nx, &perSet) != 2) {
        std::exit(1);
    }
    double x, y, z, sum = 0.0;
    for (long k = 0; k < static_cast<long>(nx) * perSet; ++k) {
        if (withGroups) {
            std::fscanf(f, "%lf %lf %lf %d", &x, &y, &z, &group);
        } else {
            std::fscanf(f, "%lf %lf %lf", &x, &y, &z);
        }
        sum += x + y + z + group;
    }
    std::fclose(f);
    if (sum == 1e300) {
        std::puts("");
    }
}

// The values of a GRID with fscanf: one "%lf", then the separators skipped.
void fscanfMaple(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    double z = 0.0, sum = 0.0;
    if (std::fscanf(f, "%*[^[][[") != 0) {
        std::exit(1);
    }
    while (std::fscanf(f, "%lf", &z) == 1) {
        sum += z;
        if (std::fscanf(f, "%*[],[\\\n ]") == EOF) {
            break;
        }
    }
    std::fclose(f);
    if (sum == 1e300) {
        std::puts("");
    }
}

std::string csvText(long points, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::string text = "x,y,z\n";
    char line[128];
    for (long k = 0; k < points; ++k) {
        text.append(line, std::snprintf(line, sizeof line, "%.6f,%.6f,%.6f\n", value(rng), value(rng), value(rng)));
    }
    return text;
}

std::string matrixText(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::string text;
    char number[40];
    for (int row = 0; row < n; ++row) {
        for (int c = 0; c < n; ++c) {
            text.append(number, std::snprintf(number, sizeof number, c == 0 ? "%.6f" : " %.6f", value(rng)));
        }
        text += '\n';
    }
    return text;
}

void fscanfCsv(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    double x, y, z, sum = 0.0;
    if (std::fscanf(f, "%*[^\n]\n") != 0) {
        std::exit(1);
    }
    while (std::fscanf(f, "%lf,%lf,%lf", &x, &y, &z) == 3) {
        sum += x + y + z;
    }
    std::fclose(f);
    if (sum == 1e300) {
        std::puts("");
    }
}

void fscanfValues(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    double v, sum = 0.0;
    while (std::fscanf(f, "%lf", &v) == 1) {
        sum += v;
    }
    std::fclose(f);
    if (sum == 1e300) {
        std::puts("");
    }
}

void report(const char* label, const std::string& path, std::size_t bytes, const std::function<void()>& scan,
            DataFormat format)
{
    const double mb = bytes / 1e6;
    const double floor = secondsOf([&] {
        FileBuffer buffer;
        readRegularFile(path.c_str(), buffer);
    });
    const double scanf = secondsOf(scan);
    double parse = 0.0;
    quietly([&] { parse = secondsOf([&] { readDataFileAs(DataFile{path.c_str(), path.c_str()}, format); }); });
    std::printf("%-22s %8.1f %12.0f %12.0f %12.0f %8.1fx\n", label, mb, mb / floor, mb / scanf, mb / parse,
                scanf / parse);
}

// ---- Binary files and gzip ----

double wallSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

template <typename T>
void appendValue(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// An N x 3 array of T as numpy.save writes it (version 1.0, C order), in the machine's byte
// order or (descr '>...') with its values' bytes reversed.
template <typename T>
std::string npyText(long points, const char* descr, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::string header = std::string("{'descr': '") + descr + "', 'fortran_order': False, 'shape': (" +
                         std::to_string(points) + ", 3), }";
    header.append((64 - (10 + header.size() + 1) % 64) % 64, ' ');
    header += '\n';
    std::string text = "\x93NUMPY\x01";
    text += '\0';
    appendValue(text, static_cast<std::uint16_t>(header.size()));
    text += header;
    text.reserve(text.size() + points * 3 * sizeof(T));
    const bool swapped = descr[0] == '>';
    for (long k = 0; k < 3 * points; ++k) {
        const std::size_t at = text.size();
        appendValue(text, static_cast<T>(value(rng)));
        if (swapped) {
            std::reverse(text.begin() + static_cast<long>(at), text.end());
        }
    }
    return text;
}

// A binary little-endian PLY cloud of float x, y, z and byte colours, 15 bytes a point.
std::string plyText(long points, std::mt19937& rng)
{
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    std::string text = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(points) +
                       "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
                       "property uchar green\nproperty uchar blue\nend_header\n";
    text.reserve(text.size() + points * 15);
    for (long k = 0; k < points; ++k) {
        appendValue(text, value(rng));
        appendValue(text, value(rng));
        appendValue(text, value(rng));
        appendValue(text, static_cast<std::uint32_t>(rng()));
        text.pop_back();
    }
    return text;
}

void reportBinary(const char* label, const std::string& path, std::size_t bytes, DataFormat format)
{
    const double mb = bytes / 1e6;
    double cpu = 0.0, wall = 1e30;
    quietly([&] {
        cpu = secondsOf([&] {
            const double start = wallSeconds();
            readDataFileAs(DataFile{path.c_str(), path.c_str()}, format);
            wall = std::min(wall, wallSeconds() - start);
        });
    });
    const long extra = extraPeakKilobytes(
        [&] {
            const LoadResult r = readDataFileAs(DataFile{path.c_str(), path.c_str()}, format);
            return r.data.coordArray.size() * sizeof(Point3d) + r.data.groupArray.size() * sizeof(int) +
                   r.data.pointColors.size();
        },
        0);
    std::printf("%-24s %8.1f %14.0f %14.0f %16.1f\n", label, mb, mb / cpu, mb / wall, extra / 1e3);
}

// The plain text file and the same text compressed, both read by the reader of format.
void reportGzip(const char* label, const std::string& folder, const std::string& name, const std::string& text,
                DataFormat format)
{
    const std::string plain = writeFile(folder + "/" + name, text);
    const std::string compressed = gzipCompressed(text, 6);
    const std::string packed = writeFile(folder + "/" + name + ".gz", compressed);
    const double mb = text.size() / 1e6;
    double plainSeconds = 0.0, packedSeconds = 0.0;
    quietly([&] {
        plainSeconds = secondsOf([&] { readDataFileAs(DataFile{plain.c_str(), plain.c_str()}, format); });
        packedSeconds = secondsOf([&] { readDataFileAs(DataFile{packed.c_str(), packed.c_str()}, format); });
    });
    std::printf("%-24s %8.1f %8.1f %12.0f %12.0f %8.2f\n", label, mb, compressed.size() / 1e6, mb / plainSeconds,
                mb / packedSeconds, plainSeconds / packedSeconds);
    std::remove(plain.c_str());
    std::remove(packed.c_str());
}

// A grid's points as a CSV: x and y step evenly, z is smooth, so that gzip packs it well.
std::string gridCsvText(int n)
{
    std::string text = "x,y,z\n";
    char line[96];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double x = 0.01 * i, y = 0.01 * j;
            text.append(line, std::snprintf(line, sizeof line, "%.2f,%.2f,%.4f\n", x, y, std::sin(x) * std::cos(y)));
        }
    }
    return text;
}

void binaryAndGzip(const std::string& folder, std::mt19937& rng)
{
    constexpr long kPoints = 10000000;
    std::printf("\n%-24s %8s %14s %14s %16s\n", "10^7 points", "MB", "MB/s (cpu)", "MB/s (wall)", "extra peak MB");
    const auto binary = [&](const char* label, const char* name, const std::string& text, DataFormat format) {
        const std::string path = writeFile(folder + "/" + name, text);
        reportBinary(label, path, text.size(), format);
        std::remove(path.c_str());
    };
    binary("NumPy float64", "points.npy", npyText<double>(kPoints, "<f8", rng), DataFormat::Npy);
    binary("NumPy float32", "points32.npy", npyText<float>(kPoints, "<f4", rng), DataFormat::Npy);
    binary("NumPy float64 swapped", "swapped.npy", npyText<double>(kPoints, ">f8", rng), DataFormat::Npy);
    binary("PLY binary", "points.ply", plyText(kPoints, rng), DataFormat::Ply);

    std::printf("\n%-24s %8s %8s %12s %12s %8s\n", "text and its .gz", "MB", "gz MB", "plain MB/s", "gzip MB/s",
                "ratio");
    reportGzip("Data 1000000", folder, "points.dat", pointsText(1000000, false, rng), DataFormat::Plain);
    reportGzip("Columns 1000000", folder, "points.csv", csvText(1000000, rng), DataFormat::Columns);
    reportGzip("Columns grid 1000 x 1000", folder, "grid.csv", gridCsvText(1000), DataFormat::Columns);
    reportGzip("Matrix 1000 x 1000", folder, "matrix.txt", matrixText(1000, rng), DataFormat::Matrix);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/reader-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    std::mt19937 rng(42);
    std::printf("%-22s %8s %12s %12s %12s %9s\n", "file", "MB", "floor MB/s", "fscanf MB/s", "reader MB/s",
                "vs fscanf");
    for (long points : {10000L, 100000L, 1000000L}) {
        const std::string count = std::to_string(points);
        const std::string plain = pointsText(points, false, rng);
        const std::string plainPath = writeFile(folder + "/points-" + count + ".dat", plain);
        report(("Data " + count).c_str(), plainPath, plain.size(), [&] { fscanfPoints(plainPath, false); },
               DataFormat::Plain);
        const std::string colored = pointsText(points, true, rng);
        const std::string coloredPath = writeFile(folder + "/points-" + count + ".cdat", colored);
        report(("Data with Color " + count).c_str(), coloredPath, colored.size(),
               [&] { fscanfPoints(coloredPath, true); }, DataFormat::Colored);
        const std::string csv = csvText(points, rng);
        const std::string csvPath = writeFile(folder + "/points-" + count + ".csv", csv);
        report(("Columns " + count).c_str(), csvPath, csv.size(), [&] { fscanfCsv(csvPath); }, DataFormat::Columns);
    }
    const std::string grid = mapleText(1000, rng);
    const std::string gridPath = writeFile(folder + "/grid-1000.mpl", grid);
    report("Maple 1000 x 1000", gridPath, grid.size(), [&] { fscanfMaple(gridPath); }, DataFormat::Maple);
    const std::string matrix = matrixText(1000, rng);
    const std::string matrixPath = writeFile(folder + "/matrix-1000.txt", matrix);
    report("Matrix 1000 x 1000", matrixPath, matrix.size(), [&] { fscanfValues(matrixPath); }, DataFormat::Matrix);
    binaryAndGzip(folder, rng);
    if (argc <= 1) {
        for (const char* name : {"points-10000", "points-100000", "points-1000000"}) {
            std::remove((folder + "/" + name + ".dat").c_str());
            std::remove((folder + "/" + name + ".cdat").c_str());
            std::remove((folder + "/" + name + ".csv").c_str());
        }
        std::remove(gridPath.c_str());
        std::remove(matrixPath.c_str());
        rmdir(folder.c_str());
    }
    return 0;
}
