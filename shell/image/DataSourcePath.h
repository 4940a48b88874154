// A data source over the bytes of a file, read completely when it is made; its path is the file path hint.
#pragma once

#include <string>

#include "shell/DataSource.h"

namespace vornix {

class DataSourcePath : public DataSource {
public:
    // Raises ImageIoExceptionFailedLoad when the file cannot be read.
    explicit DataSourcePath(std::string path);
    static DataSourceRef create(std::string path) { return std::make_shared<DataSourcePath>(std::move(path)); }
    const Buffer& getBuffer() const override { return buffer_; }
    const std::string& getFilePathHint() const override { return path_; }
    bool isFilePath() const override { return true; }

private:
    std::string path_;
    Buffer buffer_;
};

} // namespace vornix
