// Handing the renderer its work in chunks: the software renderer's memory for the work in
// flight stays bounded, and a big frame can be drawn in slices over several display
// callbacks.
#pragma once

#include <cstddef>
#include <cstdint>

// Vertices or indices handed to the driver in one call; the software renderer's memory for
// the work in flight grows with it.
constexpr std::size_t kChunk = 1u << 14;

// Draws count vertices from first (glDrawArrays), or count indices (glDrawElements with
// unsigned int indices), in chunks of whole primitives of perPrimitive vertices (at most
// chunk vertices each), each chunk one of the frame's slice chunks; a caller that counts
// the whole call as one chunk passes sliced false.
void drawArraysChunked(unsigned int mode, std::size_t first, std::size_t count, std::size_t perPrimitive,
                       std::size_t chunk = kChunk);
void drawElementsChunked(unsigned int mode, const std::uint32_t* indices, std::size_t count,
                         std::size_t perPrimitive, bool sliced = true);

// For drawing that hands over its own chunks: whether the next chunk is to be left out
// (see below), the hand-over after a draw call of vertices (a whole chunk unless told; small
// calls are handed over together once they add up to a chunk), and the count of a drawn chunk.
bool chunkSkipped();
void handOver(std::size_t vertices = kChunk);
void chunkDrawn();

// Frame slicing, for the viewer: a big frame is drawn over several display callbacks so
// that the event loop serves the panel windows in between. The chunked drawing counts its
// chunks; once the budget is spent it stops in front of the next chunk, and a later
// callback of the unchanged view draws the same frame again with colour and depth writes
// masked up to the chunk where the earlier one stopped, so that the finished back buffer
// holds exactly the picture drawn in one go. A budget of 0 (the default) draws whole frames.
void setFrameSliceBudget(double seconds);
double frameSliceBudget();
// Begins a callback's slice: chunks before resumeAt are skipped, masked.
void beginFrameSlice(std::size_t resumeAt);
// Whether this slice stopped short, and the chunk count at which the next slice resumes.
bool frameSliceStopped();
std::size_t frameSliceResumePoint();
// Unmasks colour and depth writes after a slice.
void endFrameSlice();

// The frame being drawn and its passes. The frame's number moves on with every frame begun
// anew, not with a slice that resumes one, so that work done on the processor for a pass in
// one slice can serve the same pass in the slices that follow (SliceWork).
unsigned long slicedFrameNumber();
// The pass of the frame being drawn, counted from 0; beginFramePass starts the next one.
int slicedFramePass();
void beginFramePass();

// How far a frame drawn in slices is: the chunks drawn by the slices before this one, and
// every chunk this slice met, drawn or not (after a stop the rest of the frame still runs
// through its chunks without drawing them, so this counts the whole frame as far as it is
// known yet).
std::size_t frameSliceChunksBefore();
std::size_t frameSliceChunksMet();

// Work done for one pass of the frame being drawn, kept for the slices that resume it.
struct SliceWork {
    unsigned long frame = 0;
    int pass = -1;
    // Whether the work was done for this pass of this frame (by an earlier slice).
    bool reusable() const { return frame == slicedFrameNumber() && pass == slicedFramePass(); }
    void done()
    {
        frame = slicedFrameNumber();
        pass = slicedFramePass();
    }
};

// What the processor's work for each pass of the frame being drawn found (a search, a
// splatting), kept for the slices that resume the frame; passes beyond the kept ones find
// theirs anew in each slice.
template <typename Result>
class KeptPassWork {
public:
    static constexpr int kKeptPasses = 4;

    // This pass's result, to be found or found before.
    Result& result() { return found_[pass()]; }
    // Whether an earlier slice of this frame found this pass's result; its steps then count
    // again as the chunks they were, so that every slice counts the frame's chunks alike.
    bool foundBefore()
    {
        const int p = pass();
        if (p >= kKeptPasses || !work_[p].reusable()) {
            return false;
        }
        for (std::size_t k = 0; k < steps_[p]; ++k) {
            chunkSkipped();
        }
        return true;
    }
    // Gives back what earlier frames found (this frame's passes keep theirs for its slices).
    void forgetEarlierFrames()
    {
        found_[kKeptPasses] = Result{};
        for (int p = 0; p < kKeptPasses; ++p) {
            if (work_[p].frame != slicedFrameNumber()) {
                found_[p] = Result{};
            }
        }
    }
    // The result is found, in steps chunks.
    void found(std::size_t steps)
    {
        const int p = pass();
        if (p < kKeptPasses) {
            work_[p].done();
            steps_[p] = steps;
        }
    }

private:
    static int pass()
    {
        return slicedFramePass() >= 0 && slicedFramePass() < kKeptPasses ? slicedFramePass() : kKeptPasses;
    }

    Result found_[kKeptPasses + 1];
    SliceWork work_[kKeptPasses];
    std::size_t steps_[kKeptPasses] = {};
};

// Runs steps 0 to count - 1 of some work, each a chunk of the frame: those that earlier
// slices ran are skipped, and none runs after the slice has stopped. Whether all are done.
template <typename Step>
bool runChunkedSteps(std::size_t count, const Step& step)
{
    for (std::size_t k = 0; k < count; ++k) {
        if (chunkSkipped()) {
            continue;
        }
        step(k);
        chunkDrawn();
    }
    return !frameSliceStopped();
}
