// gl::GlslProg: a value-like handle to a shared, linked GLSL program with a per-program cache of uniform locations.
#pragma once

#include <epoxy/gl.h>

#include <map>
#include <memory>
#include <string>

#include "shell/DataSource.h"

namespace vornix::gl {

class GlslProg {
public:
    GlslProg() = default;
    // Compiles and attaches each given source (vertex, fragment, geometry, in that order), then links.
    // Throws GlslProgCompileExc for a shader that does not compile. An empty source is skipped.
    GlslProg(const std::string& vertexSource, const std::string& fragmentSource,
             const std::string& geometrySource = {}, GLint geometryInputType = GL_POINTS,
             GLint geometryOutputType = GL_TRIANGLES, GLint geometryOutputVertices = 0);
    GlslProg(const DataSourceRef& vertexSource, const DataSourceRef& fragmentSource);

    explicit operator bool() const { return static_cast<bool>(obj_); }
    void reset() { obj_.reset(); }
    GLuint getHandle() const { return obj_ ? obj_->handle : 0; }

    void bind() const;
    static void unbind();

    // Sets a uniform of the current program; a name the program lacks sets nothing (its -1 is cached too).
    void uniform(const std::string& name, int value) const;
    void uniform(const std::string& name, float value) const;
    void setUniform(const std::string& name, int value) const { uniform(name, value); }
    void setUniform(const std::string& name, float value) const { uniform(name, value); }
    GLint getUniformLocation(const std::string& name) const;
    // Number of distinct names looked up so far (for tests of the cache).
    std::size_t cachedUniformCount() const { return obj_ ? obj_->uniformLocations.size() : 0; }

private:
    struct Obj {
        GLuint handle = 0;
        std::map<std::string, GLint> uniformLocations;
        ~Obj();
    };
    void attachShader(const std::string& source, GLenum type);
    std::shared_ptr<Obj> obj_;
};

} // namespace vornix::gl
