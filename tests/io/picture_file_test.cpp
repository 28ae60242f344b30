// Saving pictures: names that never overwrite, PNGs that read back, and failed writes (full
// disk, file size limit, read-only folders) that leave what was there untouched.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stb_image.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "io/picture_file.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Pixels that no PNG filter can squeeze, so that a picture takes about its raw size on disk.
std::vector<unsigned char> noisePixels(int width, int height)
{
    std::mt19937 random(7);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    for (unsigned char& p : pixels) {
        p = static_cast<unsigned char>(random());
    }
    return pixels;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Runs body in a forked child, for conditions that must not touch the test process (a file
// size limit, a private mount). Returns "" when body passed, "skip: why", or what failed.
std::string inChild(const std::function<std::string()>& body)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return std::string("pipe: ") + std::strerror(errno);
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        const std::string result = body();
        const ssize_t ignored = write(pipeEnds[1], result.data(), result.size());
        (void)ignored;
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string report;
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        report.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) {
        return "the child died with signal " + std::to_string(WTERMSIG(status));
    }
    return report;
}

void expectChildPassed(const std::string& report)
{
    if (report.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << report.substr(6);
    }
    EXPECT_EQ(report, "");
}

bool writeText(const char* path, const std::string& text)
{
    const int fd = open(path, O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

// In a child only: a tmpfs of the given size over folder, seen by this process alone.
std::string mountPrivateTmpfs(const fs::path& folder, const std::string& size)
{
    if (unshare(CLONE_NEWNS) != 0) {
        // Without the right to mount here, a user namespace of our own may still give it.
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return std::string("skip: no mount namespace: ") + std::strerror(errno);
        }
        writeText("/proc/self/setgroups", "deny");
        writeText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return std::string("skip: cannot make mounts private: ") + std::strerror(errno);
    }
    const std::string options = "size=" + size;
    if (mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        return std::string("skip: cannot mount a tmpfs: ") + std::strerror(errno);
    }
    return "";
}

TEST(PictureNames, TheStemComesFromTheDataFilesBareName)
{
    EXPECT_EQ(pictureStem("ripple.mpl"), "ripple");
    EXPECT_EQ(pictureStem("/home/me/data/ripple.mpl"), "ripple");
    EXPECT_EQ(pictureStem("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(pictureStem("noext"), "noext");
    EXPECT_EQ(pictureStem(".hidden"), "hidden");
    EXPECT_EQ(pictureStem(""), "picture");
    EXPECT_EQ(pictureStem("data/"), "picture");
    EXPECT_EQ(pictureStem("..."), "picture");
    EXPECT_EQ(pictureStem("odd\nname.dat"), "odd_name");
}

TEST(PictureNames, TheFirstFreeNumberIsTakenAndNothingIsOverwritten)
{
    TempFolder folder;
    const std::string dir = folder.str();
    EXPECT_EQ(nextPictureName(dir, "ripple.mpl"), dir + "/ripple-001.png");
    EXPECT_TRUE(fs::exists(folder.path() / "ripple-001.png"));  // reserved, empty
    folder.write("ripple-002.png", "an older picture");
    EXPECT_EQ(nextPictureName(dir, "/elsewhere/ripple.mpl"), dir + "/ripple-003.png");
    EXPECT_EQ(fileContents(folder.path() / "ripple-002.png"), "an older picture");
    // A gap is filled before counting on.
    fs::remove(folder.path() / "ripple-001.png");
    EXPECT_EQ(nextPictureName(dir + "/", "ripple.mpl"), dir + "/ripple-001.png");
    EXPECT_EQ(nextPictureName(dir, "ripple.mpl"), dir + "/ripple-004.png");
    EXPECT_EQ(nextPictureName(dir, ""), dir + "/picture-001.png");
}

TEST(PictureNames, ADanglingLinkIsNeitherFollowedNorReused)
{
    TempFolder folder;
    const fs::path target = folder.path() / "elsewhere.png";
    fs::create_symlink(target, folder.path() / "ripple-001.png");
    EXPECT_EQ(nextPictureName(folder.str(), "ripple.mpl"), folder.str() + "/ripple-002.png");
    EXPECT_FALSE(fs::exists(target));
}

TEST(PictureNames, PastNineHundredNinetyNineTheCounterTakesMoreDigits)
{
    TempFolder folder;
    char name[32];
    for (int n = 1; n <= 999; ++n) {
        std::snprintf(name, sizeof name, "ripple-%03d.png", n);
        folder.write(name);
    }
    EXPECT_EQ(nextPictureName(folder.str(), "ripple.mpl"), folder.str() + "/ripple-1000.png");
    EXPECT_EQ(nextPictureName(folder.str(), "ripple.mpl"), folder.str() + "/ripple-1001.png");
}

TEST(PictureNames, SaversInTwoThreadsNeverGetTheSameName)
{
    TempFolder folder;
    folder.write("ripple-005.png", "kept");
    constexpr int kPerThread = 60;
    std::vector<std::string> first, second;
    auto reserve = [&folder](std::vector<std::string>& names) {
        for (int i = 0; i < kPerThread; ++i) {
            names.push_back(nextPictureName(folder.str(), "ripple.mpl"));
        }
    };
    std::thread a(reserve, std::ref(first));
    std::thread b(reserve, std::ref(second));
    a.join();
    b.join();
    std::set<std::string> all(first.begin(), first.end());
    all.insert(second.begin(), second.end());
    EXPECT_EQ(all.size(), 2u * kPerThread);
    EXPECT_EQ(all.count(""), 0u);
    EXPECT_EQ(all.count(folder.str() + "/ripple-005.png"), 0u);
    EXPECT_EQ(fileContents(folder.path() / "ripple-005.png"), "kept");
    // Together they took exactly the first free numbers.
    EXPECT_EQ(namesIn(folder.path()).size(), 2u * kPerThread + 1);
    EXPECT_TRUE(fs::exists(folder.path() / "ripple-121.png"));
}

TEST(PictureNames, AMissingFolderIsReportedNotCreated)
{
    TempFolder folder;
    std::string error;
    EXPECT_EQ(nextPictureName(folder.str() + "/gone", "ripple.mpl", error), "");
    EXPECT_TRUE(contains(error, "No such file or directory")) << error;
    EXPECT_FALSE(fs::exists(folder.path() / "gone"));
}

TEST(PngFiles, APictureReadsBackPixelForPixel)
{
    TempFolder folder;
    const int width = 37, height = 23;  // rows of a length no filter lines up with
    std::vector<unsigned char> pixels(width * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(y * width + x) * 3];
            p[0] = static_cast<unsigned char>(x * 7);
            p[1] = static_cast<unsigned char>(y * 11);
            p[2] = static_cast<unsigned char>((x * y) ^ 0x5a);
        }
    }
    const mode_t oldMask = umask(022);
    const std::string path = nextPictureName(folder.str(), "ripple.mpl");
    std::string error;
    const bool written = writePng(path, width, height, pixels.data(), error);
    umask(oldMask);
    ASSERT_TRUE(written) << error;

    int w = 0, h = 0, channels = 0;
    unsigned char* decoded = stbi_load(path.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(channels, 3);
    EXPECT_EQ(std::memcmp(decoded, pixels.data(), pixels.size()), 0);
    stbi_image_free(decoded);

    struct stat info{};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u) << "a picture is as readable as any new file";
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"ripple-001.png"}) << "no temporary left";
}

TEST(PngFiles, SavingReservesANameAndFillsIt)
{
    TempFolder folder;
    folder.write("ripple-001.png", "older");
    const std::vector<unsigned char> pixels = noisePixels(4, 3);
    std::string error;
    const std::string path = savePicture(folder.str(), "ripple.mpl", 4, 3, pixels.data(), error);
    ASSERT_EQ(path, folder.str() + "/ripple-002.png") << error;
    int w = 0, h = 0, channels = 0;
    unsigned char* decoded = stbi_load(path.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(std::memcmp(decoded, pixels.data(), pixels.size()), 0);
    stbi_image_free(decoded);
    EXPECT_EQ(fileContents(folder.path() / "ripple-001.png"), "older");
}

TEST(PngFiles, PicturesWithoutPixelsOrTooLargeAreRefused)
{
    TempFolder folder;
    const std::string path = folder.str() + "/p.png";
    const unsigned char pixel[3] = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(writePng(path, 1, 1, nullptr, error));
    EXPECT_FALSE(writePng(path, 0, 1, pixel, error));
    EXPECT_FALSE(writePng(path, 1, -4, pixel, error));
    EXPECT_FALSE(writePng(path, 100000, 100000, pixel, error));
    EXPECT_TRUE(contains(error, "too large")) << error;
    EXPECT_TRUE(namesIn(folder.path()).empty());
}

TEST(PngFiles, AFullDiskLeavesTheOldPictureAndNoPartialFile)
{
    TempFolder folder;
    const fs::path disk = folder.folder("tiny");
    expectChildPassed(inChild([&disk]() -> std::string {
        const std::string mounted = mountPrivateTmpfs(disk, "64k");
        if (!mounted.empty()) {
            return mounted;
        }
        const fs::path old = disk / "ripple-001.png";
        std::ofstream(old) << "old picture";
        const std::vector<unsigned char> noise = noisePixels(256, 256);  // about 200 kB
        std::string error;
        if (writePng(old.string(), 256, 256, noise.data(), error)) {
            return "a picture larger than the disk was reported written";
        }
        if (!contains(error, "No space left on device")) {
            return "unexpected reason: " + error;
        }
        if (fileContents(old) != "old picture") {
            return "the old picture was changed";
        }
        if (namesIn(disk) != std::vector<std::string>{"ripple-001.png"}) {
            return "a partial file was left";
        }
        // Saving under a new name gives up its reservation as well.
        if (!savePicture(disk.string(), "ripple.mpl", 256, 256, noise.data(), error).empty()) {
            return "savePicture reported a failed write as saved";
        }
        if (namesIn(disk) != std::vector<std::string>{"ripple-001.png"}) {
            return "a failed save left its reservation or a partial file";
        }
        // The space of the failed writes is free again.
        const std::vector<unsigned char> small = noisePixels(16, 16);
        if (!writePng((disk / "small.png").string(), 16, 16, small.data(), error)) {
            return "a small picture no longer fits: " + error;
        }
        return "";
    }));
}

TEST(PngFiles, AFileSizeLimitFailsTheWriteCleanly)
{
    TempFolder folder;
    const fs::path old = folder.write("ripple-001.png", "old picture");
    expectChildPassed(inChild([&]() -> std::string {
        signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of ending the process
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return std::string("skip: cannot limit file sizes: ") + std::strerror(errno);
        }
        const std::vector<unsigned char> noise = noisePixels(64, 64);
        std::string error;
        if (writePng(old.string(), 64, 64, noise.data(), error)) {
            return "a write past the size limit was reported as done";
        }
        if (!contains(error, std::strerror(EFBIG))) {
            return "unexpected reason: " + error;
        }
        if (fileContents(old) != "old picture") {
            return "the old picture was changed";
        }
        if (namesIn(folder.path()) != std::vector<std::string>{"ripple-001.png"}) {
            return "a partial file was left";
        }
        return "";
    }));
}

TEST(PngFiles, AReadOnlyFileSystemGivesItsReason)
{
    TempFolder folder;
    const fs::path disk = folder.folder("sealed");
    expectChildPassed(inChild([&disk]() -> std::string {
        const std::string mounted = mountPrivateTmpfs(disk, "64k");
        if (!mounted.empty()) {
            return mounted;
        }
        std::ofstream(disk / "ripple-001.png") << "old picture";
        if (mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
            return std::string("skip: cannot make the tmpfs read-only: ") + std::strerror(errno);
        }
        std::string error;
        if (!nextPictureName(disk.string(), "ripple.mpl", error).empty() ||
            !contains(error, std::strerror(EROFS))) {
            return "reserving on a read-only file system: " + error;
        }
        const unsigned char pixel[3] = {1, 2, 3};
        if (writePng((disk / "ripple-001.png").string(), 1, 1, pixel, error) ||
            !contains(error, std::strerror(EROFS))) {
            return "writing on a read-only file system: " + error;
        }
        return fileContents(disk / "ripple-001.png") == "old picture" ? "" : "the old picture was changed";
    }));
}

TEST(PngFiles, AReadOnlyFolderGivesPermissionDenied)
{
    TempFolder folder;
    folder.write("ripple-001.png", "old picture");
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    if (access(folder.path().c_str(), W_OK) == 0) {
        chmod(folder.path().c_str(), 0700);
        GTEST_SKIP() << "running as root: a folder without write permission is still writable";
    }
    std::string error;
    EXPECT_EQ(nextPictureName(folder.str(), "ripple.mpl", error), "");
    EXPECT_TRUE(contains(error, "Permission denied")) << error;
    const unsigned char pixel[3] = {1, 2, 3};
    EXPECT_FALSE(writePng(folder.str() + "/ripple-001.png", 1, 1, pixel, error));
    EXPECT_TRUE(contains(error, "Permission denied")) << error;
    EXPECT_EQ(fileContents(folder.path() / "ripple-001.png"), "old picture");
    chmod(folder.path().c_str(), 0700);
}

TEST(GlRows, PaddedBottomUpRowsComeOutTopDownAndTight)
{
    EXPECT_EQ(glRowStride(101, 3, 4), 304);
    EXPECT_EQ(glRowStride(4, 3, 4), 12);
    EXPECT_EQ(glRowStride(5, 3, 1), 15);
    EXPECT_EQ(glRowStride(5, 3, 8), 16);

    // Two pixels a row, three rows, each row padded from 6 to 8 bytes; the padding holds 0xee.
    const unsigned char bottomUp[] = {1,  2,  3,  4,  5,  6,  0xee, 0xee,   // bottom row
                                      7,  8,  9,  10, 11, 12, 0xee, 0xee,   // middle
                                      13, 14, 15, 16, 17, 18, 0xee, 0xee};  // top
    const std::vector<unsigned char> rows = topDownRows(bottomUp, 2, 3, 3, glRowStride(2, 3, 4));
    EXPECT_EQ(rows, (std::vector<unsigned char>{13, 14, 15, 16, 17, 18, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(topDownRows(bottomUp, 2, 3, 3, 5).empty()) << "a stride shorter than a row";
    EXPECT_TRUE(topDownRows(nullptr, 2, 3, 3, 8).empty());
}

}  // namespace
