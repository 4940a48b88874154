#include "shell/settings/WholeFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "shell/Path.h"

namespace vornix {

std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit, std::string& error)
{
    const std::filesystem::path file = pathFromUtf8(path);
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(file, ec);
    if (ec || !regular) {
        error = "cannot read " + path + ": " + (ec ? ec.message() : std::string("not a file"));
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > limit) {
        error = path + " is too large (" + std::to_string(size) + " bytes; at most " + std::to_string(limit) + ")";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) {   // it grew while being read
            error = path + " is too large (more than " + std::to_string(limit) + " bytes)";
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

} // namespace vornix
