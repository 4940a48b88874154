#include "shell/video/FrameQueue.h"

#include <exception>

namespace vornix {

FrameQueue::FrameQueue(std::unique_ptr<FrameSink> sink, std::size_t capacity)
    : sink_(std::move(sink)), capacity_(capacity < 1 ? 1 : capacity)
{
    thread_ = std::thread([this] { run(); });
}

FrameQueue::~FrameQueue() { stop(); }

VideoFrame FrameQueue::blank()
{
    std::lock_guard lock(mutex_);
    if (spare_.empty())
        return {};
    VideoFrame frame = std::move(spare_.back());
    spare_.pop_back();
    return frame;
}

void FrameQueue::submit(VideoFrame frame)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queued_.size() < capacity_ || error_ || stopping_; });
    if (error_ || stopping_)
        return;
    queued_.push_back(std::move(frame));
    changed_.notify_all();
}

std::optional<std::string> FrameQueue::failure() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

void FrameQueue::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queued_.empty() || stopping_; });
        if (queued_.empty())
            break;   // stopping, and everything is written
        VideoFrame frame = std::move(queued_.front());
        lock.unlock();
        std::optional<std::string> error;
        try {
            sink_->write(frame);
        } catch (const std::exception& e) {
            error = e.what();
        }
        lock.lock();
        queued_.pop_front();
        if (error) {
            error_ = error;
            queued_.clear();
        }
        // Every frame is kept for reuse: a new one is made only when none is spare, so no more than the queue's
        // capacity and the one in the producer's hand ever exist.
        spare_.push_back(std::move(frame));
        changed_.notify_all();
        if (error_)
            break;
    }
}

FrameQueue::Result FrameQueue::stop()
{
    if (result_)
        return *result_;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    Result result;
    result.error = error_;
    if (!result.error) {
        try {
            sink_->finish();
        } catch (const std::exception& e) {
            result.error = e.what();
        }
    }
    result.frames = sink_->framesStored();
    sink_.reset();   // closes the file
    spare_.clear();
    result_ = result;
    return result;
}

} // namespace vornix
