// Resources compiled into the executable, found by numeric id and type name ("GLSL" program texts, "IMG" pictures).
#pragma once

#include <string>

#include "resources/ResourceIds.h"
#include "shell/DataSource.h"
#include "shell/Exception.h"

namespace vornix {

class ResourceLoadExc : public Exception {
public:
    ResourceLoadExc(int id, const std::string& type);
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The resource's bytes (non-owning: they live as long as the process), with an empty file-path hint.
// Throws ResourceLoadExc when no resource has that id and type.
DataSourceRef loadResource(int id, const std::string& type);
// The same for a resource named in resources/manifest.txt: loadResource(resource::help).
inline DataSourceRef loadResource(const resource::ResourceId& which) { return loadResource(which.id, which.type); }

} // namespace vornix
