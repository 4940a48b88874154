// Writable destinations for encoded bytes. DataTargetPath replaces its file in one step: the bytes go to a
// temporary file beside it, which is renamed over the target name only when complete.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace vornix {

class DataTarget {
public:
    virtual ~DataTarget() = default;
    virtual bool isFilePath() const { return false; }
    virtual const std::string& getFilePath() const = 0;
    // Stores the complete contents. Raises ImageIoExceptionFailedLoad when they cannot be stored.
    virtual void write(const void* data, std::size_t size) = 0;
};
using DataTargetRef = std::shared_ptr<DataTarget>;

class DataTargetPath : public DataTarget {
public:
    explicit DataTargetPath(std::string path) : path_(std::move(path)) {}
    static std::shared_ptr<DataTargetPath> create(std::string path)
    {
        return std::make_shared<DataTargetPath>(std::move(path));
    }
    bool isFilePath() const override { return true; }
    const std::string& getFilePath() const override { return path_; }
    // On failure no file is left under the target name's folder, and an existing file keeps its old contents.
    void write(const void* data, std::size_t size) override;

    // Creates every missing folder of the path's parent. Returns false when that fails.
    bool createParentFolders() const;

private:
    std::string path_;
};

} // namespace vornix
