// How far the file being read has got, for a progress display on another thread: a load on
// a worker thread names a counter, and the file reading adds every chunk it reads to it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// The counter that reads on the calling thread add to (null: none); each thread has its own.
void setReadProgressCounter(std::atomic<std::uint64_t>* counter);

// The calling thread's counter (null: none), for a thread that reads a part of its file.
std::atomic<std::uint64_t>* readProgressCounter();

// Adds bytes to the calling thread's counter, if it has one.
void addReadProgress(std::size_t bytes);

// The most a read asks for at once while a counter is set, so that the count moves in steps a
// person can follow; without a counter a file is read in one call.
constexpr std::size_t kProgressChunkBytes = std::size_t{4} << 20;

// How much to ask for next: at most kProgressChunkBytes while a counter is set.
std::size_t progressReadSize(std::size_t wanted);
