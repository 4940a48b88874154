#include "shell/platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "shell/Path.h"

namespace vornix {

namespace {

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

std::string replaceFileContents(const std::string& path, const void* data, std::size_t size)
{
    std::string tempPath;
    const int fd = openTemporaryBeside(path, tempPath);
    if (fd < 0)
        return "cannot create " + path + ": " + std::strerror(errno);
    bool ok = writeAll(fd, data, size);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return "cannot write " + path + ": " + std::strerror(error);
    }
    return {};
}

} // namespace vornix
