// A regular file mapped into memory for a reader of binary data, which reads it once from start
// to end and gives back the pages it has passed, so that the mapping never holds much of the
// file at once beside what the reader builds.
#pragma once

#include <cstddef>
#include <string>

#include "io/file_buffer.h"

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Maps the open file read-only, at the size it had when opened; false with errno set.
    bool map(const OpenFile& file);

    const char* begin() const { return begin_; }
    const char* end() const { return begin_ + size_; }

    // Gives back the whole pages between from and to (the reader is done with them; reading
    // them again would fetch them again).
    void release(const char* from, const char* to) const;

private:
    const char* begin_ = nullptr;
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
};

// Runs read over the bytes of a mapping, and returns false when the file was cut short meanwhile
// (by a writer that truncates it to rewrite it): reading past its new end raises SIGBUS, which
// ends read at once, without unwinding. So read must hold nothing that needs destroying.
bool runGuarded(void (*run)(void*), void* context);
template <typename Read>
bool readGuarded(Read& read)
{
    return runGuarded([](void* r) { (*static_cast<Read*>(r))(); }, &read);
}

// The bytes a reader of binary data reads, from a mapped file (whose pages it gives back as it
// passes them) or from memory.
struct ByteSpan {
    const char* begin = nullptr;
    const char* end = nullptr;
    const MappedFile* mapping = nullptr;

    // Done with everything before upTo.
    void doneBefore(const char* upTo) const
    {
        if (mapping != nullptr) {
            mapping->release(begin, upTo);
        }
    }

    // Copies up to size bytes from offset into out; false when the file was cut short.
    bool copy(std::size_t offset, std::size_t size, std::string& out) const;
};

// The report line of a mapped file that was cut short while it was read.
std::string shortenedWhileRead(const char* name);
