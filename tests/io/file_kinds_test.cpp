// Files that are not regular files, or that cannot be opened, each made for real by the test:
// one line saying what it is or why it cannot be read, nothing loaded, the previous data set
// kept, and no wait on a pipe or a device.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "io/data_loader.h"
#include "io/file_buffer.h"
#include "tests/support/test_support.h"

namespace {

const char* const kExample = "2 3\n0 0 0\n1 1 0\n2 4 0\n0 0 1\n1 2 1\n2 3 1\n";

class FileKinds : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetDataInput();
        const std::string example = dir.write("example.dat", kExample);
        captureStdout([&] { readDataFile(example.c_str()); });
        ASSERT_EQ(dataSet.coordArray.size(), 6u);
        generation = dataSet.generation;
    }

    // Loads path as "Data" and checks that the report is the file name and exactly line, and
    // that the example is still shown; the load must end within a few seconds.
    void expectRefused(const std::string& path, const std::string& line)
    {
        const auto start = std::chrono::steady_clock::now();
        const std::string out = captureStdout([&] { readDataFile(path.c_str()); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(out, "\nfilename = " + path + "\n" + line + "\n");
        EXPECT_EQ(dataSet.generation, generation);
        EXPECT_EQ(dataSet.coordArray.size(), 6u);
        EXPECT_EQ(dataSet.fnTrf.pointsPerSet, 3);
    }

    TempFolder dir;
    unsigned long generation = 0;
};

}  // namespace

TEST_F(FileKinds, FolderPipeSocketAndDeviceSayWhatTheyAre)
{
    const std::string folder = dir.folder("sub").string();
    expectRefused(folder, "File " + folder + " is a folder, not a data file; nothing is loaded");

    // Opening a pipe with no writer used to wait for ever: the test itself would hang.
    const std::string pipe = dir.path("pipe.dat");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    expectRefused(pipe, "File " + pipe + " is a named pipe, not a data file; nothing is loaded");

    const std::string socketPath = dir.path("s.dat");
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    expectRefused(socketPath, "File " + socketPath + " is a socket, not a data file; nothing is loaded");
    close(s);

    // A name in the data folder that leads to an endless device: never read at all.
    const std::string device = dir.path("zero.dat");
    ASSERT_EQ(symlink("/dev/zero", device.c_str()), 0);
    expectRefused(device, "File " + device + " is a character device, not a data file; nothing is loaded");
}

TEST_F(FileKinds, OpenFailuresSayWhy)
{
    const std::string missing = dir.path("missing.dat");
    expectRefused(missing, "File " + missing + " does not exist");

    const std::string loop = dir.path("loop.dat");
    ASSERT_EQ(symlink("loop2.dat", loop.c_str()), 0);
    ASSERT_EQ(symlink("loop.dat", dir.path("loop2.dat").c_str()), 0);
    expectRefused(loop, "File " + loop +
                            " cannot be opened: too many symbolic links (a link that leads back to itself?)");

    const std::string longName = dir.path(std::string(300, 'n'));
    expectRefused(longName, "File " + longName + " cannot be opened: its name is too long");

    // A name with a line end in it: the refusal stays one line.
    const std::string newline = dir.path("new\nline.dat");
    const std::string out = captureStdout([&] { readDataFile(newline.c_str()); });
    EXPECT_NE(out.find("\nFile " + dir.path("new?line.dat") + " does not exist\n"), std::string::npos) << out;

    const std::string notFolder = dir.write("plain.dat", kExample) + "/inside.dat";
    expectRefused(notFolder, "File " + notFolder + " cannot be opened: a part of its path is not a folder");
}

TEST_F(FileKinds, UnreadableFileIsPermissionDenied)
{
    const std::string locked = dir.write("locked.dat", kExample);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const std::string line = "File " + locked + " cannot be opened: permission denied";
    if (geteuid() != 0) {
        expectRefused(locked, line);
        return;
    }
    // Root reads anything: the load runs in a child that has given up root.
    ASSERT_EQ(chmod(dir.str().c_str(), 0755), 0);
    std::fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(2);
        }
        FileBuffer buffer;
        const FileReadStatus status = readRegularFile(locked.c_str(), buffer);
        _exit(fileReadProblem(locked.c_str(), status) == line ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unprivileged child did not see: " << line;
}

TEST_F(FileKinds, AGrowingFileIsReadAsItWasWhenOpened)
{
    // A writer appends rows as fast as it can while the file is read: the read ends at the size
    // the file had when it was opened instead of chasing the writer.
    const std::string path = dir.write("growing.txt", "1 2 3\n4 5 6\n");
    std::atomic<bool> stop{false};
    std::atomic<long long> written{12};
    std::thread writer([&] {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        std::string chunk;
        for (int k = 0; k < 4096; ++k) {
            chunk += "7 8 9\n";
        }
        while (!stop && written < (400LL << 20)) {
            if (write(fd, chunk.data(), chunk.size()) > 0) {
                written += static_cast<long long>(chunk.size());
            }
        }
        close(fd);
    });
    while (written < (8LL << 20)) {
        std::this_thread::yield();
    }
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    FileBuffer buffer;
    const auto start = std::chrono::steady_clock::now();
    const FileReadStatus status = readRegularFile(path.c_str(), buffer);
    const auto took = std::chrono::steady_clock::now() - start;
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    // The writer goes on past what was read (a busy machine may hold it back for a moment),
    // unless it had already written all it writes while the read chased it.
    while (written <= static_cast<long long>(buffer.size) && written < (400LL << 20)) {
        std::this_thread::yield();
    }
    stop = true;
    writer.join();
    struct stat last {};
    ASSERT_EQ(stat(path.c_str(), &last), 0);
    EXPECT_EQ(status.outcome, FileReadOutcome::ok);
    EXPECT_GE(static_cast<long long>(buffer.size), static_cast<long long>(before.st_size));
    EXPECT_LE(static_cast<long long>(buffer.size), static_cast<long long>(after.st_size));
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_LT(static_cast<long long>(buffer.size), static_cast<long long>(last.st_size));

    // A file whose size says 0 but that yields text when read (the kernel's own files): read
    // by its size, it is empty.
    const std::string proc = dir.path("status.dat");
    ASSERT_EQ(symlink("/proc/self/status", proc.c_str()), 0);
    expectRefused(proc, "File " + proc + " is empty; nothing is loaded");
}
