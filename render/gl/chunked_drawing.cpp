// The fence calls, where the context offers them, come from the GL library's own exports.
#define GL_GLEXT_PROTOTYPES
#include "render/gl/chunked_drawing.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// Chunks that may be queued in the renderer before the drawing waits for them.
constexpr unsigned kChunksInFlight = 2;

// The software renderer keeps the work of a frame until it is flushed, and queues flushed
// work faster than its threads finish it: the drawing waits now and then, so that at most
// kChunksInFlight chunks are queued, which bounds the memory that a big draw takes. With
// fences the wait is for the chunk kChunksInFlight back, so that the renderer's threads
// never run dry; without them, for all queued work every kChunksInFlight chunks.
struct ChunkFences {
    bool usable = false;
    GLsync ring[kChunksInFlight] = {};
    unsigned next = 0;
    unsigned chunks = 0;
    std::size_t pending = 0;  // vertices drawn since the last hand-over
};
ChunkFences fences;

// Fences came with OpenGL 3.2 and GL_ARB_sync.
bool contextHasFences()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 2))) {
        return true;
    }
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_sync") != nullptr;
}

// Fences belong to the context of the frame: none outlives it.
void dropFences()
{
    fences.pending = 0;
    for (GLsync& slot : fences.ring) {
        if (slot != nullptr && glIsSync(slot)) {
            glDeleteSync(slot);
        }
        slot = nullptr;
    }
    fences.next = 0;
}

// The slicing of a frame over display callbacks (see chunked_drawing.h).
struct FrameSlice {
    double budget = 0.0;  // seconds; 0: whole frames
    std::chrono::steady_clock::time_point start;
    std::size_t next = 0;      // chunks met in this callback
    std::size_t resumeAt = 0;  // chunks drawn by earlier callbacks
    std::size_t stoppedAt = 0;
    bool spent = false;  // the budget is spent: stop in front of the next chunk
    bool stopped = false;
    bool masked = false;
    unsigned long frame = 0;  // moves on with every frame begun anew
    int pass = -1;
};
FrameSlice slice;

void maskWrites(bool masked)
{
    const GLboolean write = masked ? GL_FALSE : GL_TRUE;
    glColorMask(write, write, write, write);
    glDepthMask(write);
    slice.masked = masked;
}

}  // namespace

void handOver(std::size_t vertices)
{
    // Many small draw calls (a colour group of one quadrilateral) hand over together, a
    // chunk's worth at a time: a flush and a fence per call only load the renderer.
    fences.pending += vertices;
    if (fences.pending < kChunk) {
        return;
    }
    fences.pending = 0;
    if (!fences.usable) {
        if (++fences.chunks % kChunksInFlight == 0) {
            glFinish();
        } else {
            glFlush();
        }
        return;
    }
    GLsync& slot = fences.ring[fences.next];
    if (slot != nullptr && glIsSync(slot)) {
        glClientWaitSync(slot, GL_SYNC_FLUSH_COMMANDS_BIT, GL_TIMEOUT_IGNORED);
        glDeleteSync(slot);
    }
    slot = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    fences.next = (fences.next + 1) % kChunksInFlight;
}

// Whether the chunk coming next is to be left out: one drawn by an earlier slice, or any
// from where this slice stopped. A slice stops only in front of a chunk, never after the
// last one, so that the drawing between two chunks (or after the last) is always done by
// the slice that draws the chunk before it. Drawing resumes unmasked at the first chunk
// not yet drawn.
bool chunkSkipped()
{
    if (slice.stopped) {
        ++slice.next;  // counted, for the frame's progress
        return true;
    }
    if (slice.budget <= 0.0) {
        return false;
    }
    if (slice.next < slice.resumeAt) {
        ++slice.next;
        return true;
    }
    if (slice.spent) {
        slice.stopped = true;
        slice.stoppedAt = slice.next++;
        maskWrites(true);
        return true;
    }
    if (slice.masked) {
        maskWrites(false);
    }
    return false;
}

// Counts a drawn chunk and notes when the budget is spent.
void chunkDrawn()
{
    if (slice.budget <= 0.0) {
        return;
    }
    ++slice.next;
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - slice.start;
    slice.spent = spent.count() > slice.budget;
}

void drawArraysChunked(unsigned int mode, std::size_t first, std::size_t count, std::size_t perPrimitive,
                       std::size_t most)
{
    const std::size_t chunk = most - most % perPrimitive;
    for (std::size_t done = 0; done < count; done += chunk) {
        if (chunkSkipped()) {
            continue;
        }
        const std::size_t n = std::min(chunk, count - done);
        glDrawArrays(mode, static_cast<GLint>(first + done), static_cast<GLsizei>(n));
        handOver(n);
        chunkDrawn();
    }
}

void drawElementsChunked(unsigned int mode, const std::uint32_t* indices, std::size_t count,
                         std::size_t perPrimitive, bool sliced)
{
    const std::size_t chunk = kChunk - kChunk % perPrimitive;
    for (std::size_t done = 0; done < count; done += chunk) {
        if (sliced && chunkSkipped()) {
            continue;
        }
        const std::size_t n = std::min(chunk, count - done);
        glDrawElements(mode, static_cast<GLsizei>(n), GL_UNSIGNED_INT, indices + done);
        handOver(n);
        if (sliced) {
            chunkDrawn();
        }
    }
}

void setFrameSliceBudget(double seconds)
{
    slice.budget = seconds > 0.0 ? seconds : 0.0;
}

double frameSliceBudget()
{
    return slice.budget;
}

void beginFrameSlice(std::size_t resumeAt)
{
    fences.usable = contextHasFences();
    slice.start = std::chrono::steady_clock::now();
    slice.next = 0;
    slice.resumeAt = slice.budget > 0.0 ? resumeAt : 0;
    if (slice.resumeAt == 0) {
        ++slice.frame;
    }
    slice.pass = -1;
    slice.spent = false;
    slice.stopped = false;
    if (slice.resumeAt > 0) {
        maskWrites(true);
    }
}

bool frameSliceStopped()
{
    return slice.stopped;
}

std::size_t frameSliceResumePoint()
{
    return slice.stoppedAt;
}

void endFrameSlice()
{
    dropFences();
    if (slice.masked) {
        maskWrites(false);
    }
}

unsigned long slicedFrameNumber()
{
    return slice.frame;
}

int slicedFramePass()
{
    return slice.pass;
}

void beginFramePass()
{
    ++slice.pass;
}

std::size_t frameSliceChunksBefore()
{
    return slice.resumeAt;
}

std::size_t frameSliceChunksMet()
{
    return slice.next;
}
