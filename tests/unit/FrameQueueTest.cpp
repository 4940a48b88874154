// The frame queue between the GUI thread and the encoder: every frame reaches the sink in order even when the sink is
// slower than the producer (the producer waits, nothing is dropped), memory stays at the queue's frames, and a sink
// that fails (a full disk) stops the recording with its reason instead of blocking or losing the frames before.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>
#include <thread>

#include "shell/video/FrameQueue.h"
#include "shell/video/VideoException.h"

using namespace vornix;

namespace {

struct SinkLog {
    std::vector<int> numbers;          // the first pixel byte of every frame written, in order
    std::set<const std::uint8_t*> buffers;
    int failAt = -1;                   // write number that throws
    bool finishFails = false;
    bool finished = false;
};

class RecordingSink : public FrameSink {
public:
    explicit RecordingSink(SinkLog& log) : log_(log) {}
    void write(const VideoFrame& frame) override
    {
        if (static_cast<int>(log_.numbers.size()) == log_.failAt)
            throw VideoException("Cannot write clip.mp4: No space left on device");
        // Slower than the producer now and then, so the queue fills up.
        if (log_.numbers.size() % 7 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        log_.numbers.push_back(frame.bgra.at(0));
        log_.buffers.insert(frame.bgra.data());
    }
    void finish() override
    {
        if (log_.finishFails)
            throw VideoException("Cannot write clip.mp4: Input/output error");
        log_.finished = true;
    }
    std::int64_t framesStored() const override { return static_cast<std::int64_t>(log_.numbers.size()); }

private:
    SinkLog& log_;
};

void submitNumbered(FrameQueue& queue, int count)
{
    for (int k = 0; k < count; ++k) {
        VideoFrame frame = queue.blank();
        frame.resize(64, 32);
        frame.bgra[0] = static_cast<std::uint8_t>(k);
        queue.submit(std::move(frame));
    }
}

} // namespace

TEST(FrameQueue, EveryFrameReachesTheSinkInOrderWithBoundedMemory)
{
    SinkLog log;
    FrameQueue queue(std::make_unique<RecordingSink>(log), 4);
    submitNumbered(queue, 200);
    const FrameQueue::Result result = queue.stop();

    EXPECT_EQ(result.frames, 200);
    EXPECT_FALSE(result.error);
    EXPECT_TRUE(log.finished);
    ASSERT_EQ(log.numbers.size(), 200u);
    for (int k = 0; k < 200; ++k)
        ASSERT_EQ(log.numbers[static_cast<std::size_t>(k)], k % 256) << "frame " << k;
    // Frames are recycled: at most the queue's capacity plus the ones in hand were ever allocated.
    EXPECT_LE(log.buffers.size(), queue.capacity() + 2);
}

TEST(FrameQueue, AFailingSinkStopsTheRecordingWithItsReason)
{
    SinkLog log;
    log.failAt = 5;
    FrameQueue queue(std::make_unique<RecordingSink>(log), 3);
    // The producer must not wait for ever on a sink that has given up.
    submitNumbered(queue, 50);
    const FrameQueue::Result result = queue.stop();

    EXPECT_EQ(result.frames, 5);
    ASSERT_TRUE(result.error);
    EXPECT_NE(result.error->find("No space left on device"), std::string::npos) << *result.error;
    ASSERT_TRUE(queue.failure());
    EXPECT_FALSE(log.finished) << "a file whose frames went missing is not finished as if it were whole";
    EXPECT_EQ(queue.stop().frames, 5) << "stop() answers the same again";
}

TEST(FrameQueue, AFileThatCannotBeCompletedIsReported)
{
    SinkLog log;
    log.finishFails = true;
    FrameQueue queue(std::make_unique<RecordingSink>(log), 3);
    submitNumbered(queue, 10);
    const FrameQueue::Result result = queue.stop();
    EXPECT_EQ(result.frames, 10);
    ASSERT_TRUE(result.error);
    EXPECT_NE(result.error->find("Input/output error"), std::string::npos);
}
