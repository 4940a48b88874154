#include "shell/image/DataSourcePath.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/Path.h"
#include "shell/image/ImageIoException.h"

namespace vornix {

DataSourcePath::DataSourcePath(std::string path) : path_(std::move(path))
{
    std::ifstream in(pathFromUtf8(path_), std::ios::binary);
    if (!in)
        throw ImageIoExceptionFailedLoad("cannot open " + path_ + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw ImageIoExceptionFailedLoad("cannot read " + path_);
    buffer_ = Buffer(std::move(bytes));
}

} // namespace vornix
