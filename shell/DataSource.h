// Byte buffers and readable sources of bytes (resources, files in memory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vornix {

// A byte range; owning buffers keep their bytes in a vector, non-owning ones point at bytes that outlive them
// (resources live as long as the process).
class Buffer {
public:
    Buffer() = default;
    Buffer(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    explicit Buffer(std::vector<std::uint8_t> owned)
        : owned_(std::make_shared<std::vector<std::uint8_t>>(std::move(owned))), data_(owned_->data()),
          size_(owned_->size())
    {
    }
    const std::uint8_t* getData() const { return data_; }
    std::size_t getDataSize() const { return size_; }
    bool ownsData() const { return static_cast<bool>(owned_); }
    std::string asString() const { return std::string(reinterpret_cast<const char*>(data_), size_); }

private:
    std::shared_ptr<std::vector<std::uint8_t>> owned_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class DataSource {
public:
    virtual ~DataSource() = default;
    virtual const Buffer& getBuffer() const = 0;
    // The file the bytes came from; empty when they did not come from a file.
    virtual const std::string& getFilePathHint() const = 0;
    virtual bool isFilePath() const { return false; }
};
using DataSourceRef = std::shared_ptr<DataSource>;

class DataSourceBuffer : public DataSource {
public:
    explicit DataSourceBuffer(Buffer buffer, std::string filePathHint = {})
        : buffer_(std::move(buffer)), hint_(std::move(filePathHint))
    {
    }
    static DataSourceRef create(Buffer buffer, std::string filePathHint = {})
    {
        return std::make_shared<DataSourceBuffer>(std::move(buffer), std::move(filePathHint));
    }
    const Buffer& getBuffer() const override { return buffer_; }
    const std::string& getFilePathHint() const override { return hint_; }

private:
    Buffer buffer_;
    std::string hint_;
};

} // namespace vornix
