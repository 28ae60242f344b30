// The peak memory of one load, for the benchmarks: measured in a child process, beyond the file
// and the arrays the load builds.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

inline long statusKilobytes(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    const std::size_t length = std::char_traits<char>::length(field);
    while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
        if (std::string(line).compare(0, length, field) == 0) {
            kb = std::atol(line + length + 1);
        }
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    return kb;
}

// In a child process, so that the peak belongs to one load: how far the peak resident size
// rose beyond the file and the result's arrays, in kilobytes (negative: pages not touched).
inline long extraPeakKilobytes(const std::function<std::size_t()>& load, std::size_t fileBytes)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        // Memory freed before is given back, so that the load's own pages are what is counted.
        malloc_trim(0);
        // "5" resets the peak to the present resident size.
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        const long before = statusKilobytes("VmRSS:");
        const std::size_t arrayBytes = load();
        const long extra = statusKilobytes("VmHWM:") - before - static_cast<long>((fileBytes + arrayBytes) / 1024);
        const ssize_t written = write(pipeEnds[1], &extra, sizeof extra);
        _exit(written == sizeof extra ? 0 : 1);
    }
    close(pipeEnds[1]);
    long extra = -1;
    if (read(pipeEnds[0], &extra, sizeof extra) != sizeof extra) {
        extra = -1;
    }
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return extra;
}
