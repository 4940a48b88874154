#include "shell/image/DataTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>
#include <unistd.h>

#include "shell/Path.h"
#include "shell/image/ImageIoException.h"

namespace vornix {

namespace {

std::string systemReason(int error) { return std::strerror(error); }

// Opens a new file beside `path` that no one else uses; its mode follows the umask like any new file.
int openTemporaryBeside(const std::string& path, std::string& tempPath)
{
    const std::string folder = parentPath(path);
    const std::string prefix = (folder.empty() ? std::string() : folder + "/") + "." + fileName(path) + ".tmp";
    std::random_device entropy;
    std::mt19937 rng(entropy() ^ static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = prefix + std::to_string(rng() % 1000000u);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

void DataTargetPath::write(const void* data, std::size_t size)
{
    std::string tempPath;
    const int fd = openTemporaryBeside(path_, tempPath);
    if (fd < 0)
        throw ImageIoExceptionFailedLoad("cannot create " + path_ + ": " + systemReason(errno));
    bool ok = writeAll(fd, data, size);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempPath.c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        throw ImageIoExceptionFailedLoad("cannot write " + path_ + ": " + systemReason(error));
    }
}

bool DataTargetPath::createParentFolders() const
{
    const std::string folder = parentPath(path_);
    if (folder.empty())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return !ec;
}

} // namespace vornix
