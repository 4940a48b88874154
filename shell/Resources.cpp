#include "shell/Resources.h"

#include <cstdio>
#include <cstring>

namespace vornix {

namespace embedded {
struct ResourceEntry {
    int id;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};
extern const ResourceEntry resourceTable[];
extern const std::size_t resourceCount;
} // namespace embedded

ResourceLoadExc::ResourceLoadExc(int id, const std::string& type)
{
    char text[256];
    std::snprintf(text, sizeof text, "Failed to load resource: #%d type: %s", id, type.c_str());
    message_ = text;
}

DataSourceRef loadResource(int id, const std::string& type)
{
    for (std::size_t k = 0; k < embedded::resourceCount; ++k) {
        const auto& entry = embedded::resourceTable[k];
        if (entry.id == id && type == entry.type)
            return DataSourceBuffer::create(Buffer(entry.data, entry.size));
    }
    throw ResourceLoadExc(id, type);
}

} // namespace vornix
