// Directory services and the folder chooser on a POSIX desktop: getcwd/chdir, a
// readdir search with wildcard matching, and zenity or kdialog run as a child process.
#include "io/platform_dirs.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern char** environ;

std::string currentDirectory()
{
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(&buffer[0], buffer.size()) != nullptr) {
            buffer.resize(std::char_traits<char>::length(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

int changeDirectory(const std::string& path)
{
    return chdir(path.c_str()) == 0 ? 0 : errno;
}

bool matchesPattern(const std::string& pattern, const std::string& name)
{
    if (pattern == "*.*") {
        return true;
    }
    // Greedy matching that, on a mismatch, lets the last "*" take one more
    // character: linear in practice, and never exponential.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

int searchDirectory(const std::string& pattern, std::vector<std::string>& names)
{
    names.clear();
    DIR* dir = opendir(".");
    if (dir == nullptr) {
        return errno;
    }
    while (const dirent* entry = readdir(dir)) {
        if (matchesPattern(pattern, entry->d_name)) {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    if (names.empty()) {
        return ENOENT;
    }
    std::sort(names.begin(), names.end());
    return 0;
}

// Full path of an executable program found on the search path, or empty.
static std::string findProgram(const char* program)
{
    const char* searchPath = std::getenv("PATH");
    std::string dirs = searchPath != nullptr ? searchPath : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

// Runs a chooser program with argv as given (no shell, so nothing in the title is
// interpreted), waits for it and collects what it writes on standard output.
// Returns its exit status, or -1 if it could not be run or did not exit normally.
static int runAndCapture(const std::string& program, const std::vector<std::string>& args,
                         std::string& output)
{
    output.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawnError != 0) {
        close(fds[0]);
        return -1;
    }

    char chunk[512];
    for (;;) {
        ssize_t got = read(fds[0], chunk, sizeof chunk);
        if (got > 0) {
            output.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool desktopFolderChooser(const char* title, std::string& path)
{
    const std::string shownTitle = title != nullptr ? title : "";
    std::vector<std::string> args;
    std::string program = findProgram("zenity");
    if (!program.empty()) {
        args = {"zenity", "--file-selection", "--directory", "--title=" + shownTitle};
    } else {
        program = findProgram("kdialog");
        if (program.empty()) {
            std::printf("No folder chooser is installed (zenity or kdialog): the folder is left as it is\n");
            return false;
        }
        args = {"kdialog", "--title", shownTitle, "--getexistingdirectory"};
    }

    std::string output;
    int status = runAndCapture(program, args, output);
    if (status != 0) {
        // 1 is the choosers' answer to Cancel; anything else is a failure worth a line.
        if (status != 1) {
            std::printf("The folder chooser %s failed (status %d)\n", args[0].c_str(), status);
        }
        return false;
    }
    if (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    if (output.empty()) {
        return false;
    }
    path = output;
    return true;
}

// The chooser in use; a test may put a fake one in place.
static FolderChooser activeChooser = desktopFolderChooser;

void setFolderChooser(FolderChooser chooser)
{
    activeChooser = chooser != nullptr ? chooser : desktopFolderChooser;
}

bool runFolderChooser(const char* title, std::string& path)
{
    return activeChooser(title, path);
}
