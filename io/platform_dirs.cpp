// Directory services and the folder chooser on a POSIX desktop: getcwd/chdir, a
// readdir search with wildcard matching, and zenity or kdialog run as a child process that
// the event loop asks for its answer without waiting.
#include "io/platform_dirs.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "core/user_message.h"
#include "io/report_text.h"

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

namespace {

// The chooser that stands open: its process, the reading end of its standard output and
// what it wrote so far. One at a time; it outlives the call that started it.
struct ChooserProcess {
    pid_t pid = -1;
    int output = -1;
    std::string name;
    std::string answer;
};
ChooserProcess chooser;

// The chooser in use besides the desktop's; a test may put one in place.
FolderChooser replacedChooser = nullptr;

// Starts a chooser program with argv as given (no shell, so nothing in the title or the
// folder is interpreted), its standard output into a pipe that is read without waiting.
bool spawnChooser(const std::string& program, const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    // Only the viewer's end reads without waiting: the chooser's writes must not be cut short.
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
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
    const int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawnError != 0) {
        close(fds[0]);
        return false;
    }
    chooser = ChooserProcess{pid, fds[0], args[0], std::string()};
    return true;
}

// Takes in what the chooser has written so far.
void readChooserOutput()
{
    char chunk[512];
    for (;;) {
        const ssize_t got = read(chooser.output, chunk, sizeof chunk);
        if (got > 0) {
            chooser.answer.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return;  // closed, nothing more for now, or a failure that the exit status tells
        }
    }
}

void forgetChooser()
{
    if (chooser.output >= 0) {
        close(chooser.output);
    }
    chooser = ChooserProcess{};
}

// What an ended chooser's exit status and output say.
ChooserState chooserAnswer(int status, std::string& path)
{
    // 1 is the choosers' answer to Cancel; anything else is a failure worth a line.
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string answer = chooser.answer;
    if (code != 0) {
        if (code != 1) {
            tellUser(formatLine("The folder chooser %s failed (status %d)\n", chooser.name.c_str(), code));
        }
        return ChooserState::Cancelled;
    }
    if (!answer.empty() && answer.back() == '\n') {
        answer.pop_back();
    }
    if (answer.empty()) {
        return ChooserState::Cancelled;
    }
    path = answer;
    return ChooserState::Chosen;
}

}  // namespace

void setFolderChooser(FolderChooser replacement)
{
    replacedChooser = replacement;
}

ChooserState startFolderChooser(const char* title, const std::string& startFolder, std::string& path)
{
    const std::string shownTitle = title != nullptr ? title : "";
    if (replacedChooser != nullptr) {
        return replacedChooser(shownTitle.c_str(), path) ? ChooserState::Chosen : ChooserState::Cancelled;
    }
    if (folderChooserOpen()) {
        return ChooserState::Open;
    }
    std::vector<std::string> args;
    std::string program = findProgram("zenity");
    if (!program.empty()) {
        args = {"zenity", "--file-selection", "--directory", "--title=" + shownTitle};
        if (!startFolder.empty()) {
            // A trailing slash opens the dialog inside the folder rather than at its name.
            args.push_back("--filename=" + startFolder + (startFolder.back() == '/' ? "" : "/"));
        }
    } else {
        program = findProgram("kdialog");
        if (program.empty()) {
            tellUser("No folder chooser is installed (zenity or kdialog): the folder is left as it is\n");
            return ChooserState::Cancelled;
        }
        args = {"kdialog", "--title", shownTitle, "--getexistingdirectory"};
        if (!startFolder.empty()) {
            args.push_back(startFolder);
        }
    }
    if (!spawnChooser(program, args)) {
        tellUser(formatLine("The folder chooser %s could not be started: %s\n", args[0].c_str(), std::strerror(errno)));
        return ChooserState::Cancelled;
    }
    // A chooser still open when the viewer ends ("Quit") goes with it.
    static const bool stopsAtExit = std::atexit(stopFolderChooser) == 0;
    (void)stopsAtExit;
    return ChooserState::Open;
}

ChooserState pollFolderChooser(std::string& path)
{
    if (!folderChooserOpen()) {
        return ChooserState::Cancelled;
    }
    readChooserOutput();
    int status = 0;
    pid_t ended = waitpid(chooser.pid, &status, WNOHANG);
    while (ended < 0 && errno == EINTR) {
        ended = waitpid(chooser.pid, &status, WNOHANG);
    }
    if (ended == 0) {
        return ChooserState::Open;
    }
    // Whatever it wrote before it ended is in the pipe by now.
    readChooserOutput();
    const ChooserState state = ended > 0 ? chooserAnswer(status, path) : ChooserState::Cancelled;
    forgetChooser();
    return state;
}

bool folderChooserOpen()
{
    return chooser.pid > 0;
}

void stopFolderChooser()
{
    if (!folderChooserOpen()) {
        return;
    }
    kill(chooser.pid, SIGTERM);
    int status = 0;
    while (waitpid(chooser.pid, &status, 0) < 0 && errno == EINTR) {
    }
    forgetChooser();
}
