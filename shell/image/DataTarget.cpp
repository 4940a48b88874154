#include "shell/image/DataTarget.h"

#include <filesystem>
#include <system_error>

#include "shell/Path.h"
#include "shell/image/ImageIoException.h"
#include "shell/platform/FileReplace.h"

namespace vornix {

void DataTargetPath::write(const void* data, std::size_t size)
{
    if (const std::string error = replaceFileContents(path_, data, size); !error.empty())
        throw ImageIoExceptionFailedLoad(error);
}

bool DataTargetPath::createParentFolders() const
{
    const std::string folder = parentPath(path_);
    if (folder.empty())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(pathFromUtf8(folder), ec);
    return !ec;
}

} // namespace vornix
