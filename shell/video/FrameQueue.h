// FrameQueue: hands captured frames from the GUI thread to an encoder thread through a bounded queue.
//
// The GUI thread takes an empty frame (blank()), fills it and submits it. When the encoder falls behind, submit()
// waits for room instead of dropping the frame: every frame given reaches the file. Frames are recycled, so memory
// stays at the queue's capacity plus the two frames in hand. When the sink fails (the disk is full), the queue stops
// taking frames and failure() says why; stop() reports it too.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shell/video/VideoFrame.h"

namespace vornix {

class FrameQueue {
public:
    struct Result {
        std::int64_t frames = 0;              // frames that reached the file
        std::optional<std::string> error;     // why the file is incomplete, when it is
    };

    // Starts the encoder thread, which owns `sink` from now on.
    FrameQueue(std::unique_ptr<FrameSink> sink, std::size_t capacity);
    // Stops as stop() does when that has not been called.
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // An unused frame to fill (its earlier contents are garbage).
    VideoFrame blank();
    // Queues a filled frame, waiting while the queue is full. After a failure the frame is dropped.
    void submit(VideoFrame frame);
    // The sink's error once it failed; the thread then takes no more frames.
    std::optional<std::string> failure() const;
    // Waits until every queued frame is written, completes the file and ends the thread. Called once; later calls
    // return the same result.
    Result stop();

    std::size_t capacity() const { return capacity_; }

private:
    void run();

    std::unique_ptr<FrameSink> sink_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<VideoFrame> queued_;
    std::vector<VideoFrame> spare_;
    bool stopping_ = false;
    std::optional<std::string> error_;
    std::optional<Result> result_;
    std::thread thread_;
};

} // namespace vornix
