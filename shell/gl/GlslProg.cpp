#include "shell/gl/GlslProg.h"

#include <vector>

#include "shell/gl/GlException.h"

namespace vornix::gl {

GlslProgCompileExc::GlslProgCompileExc(const std::string& log, GLenum shaderType) : shaderType_(shaderType)
{
    std::string prefix;
    switch (shaderType) {
    case GL_VERTEX_SHADER: prefix = "VERTEX: "; break;
    case GL_FRAGMENT_SHADER: prefix = "FRAGMENT: "; break;
    case GL_GEOMETRY_SHADER: prefix = "GEOMETRY: "; break;
    default: prefix = "UNKNOWN: "; break;
    }
    message_ = prefix.substr(0, 1000) + log.substr(0, 15000);
}

GlslProg::Obj::~Obj()
{
    if (handle)
        glDeleteProgram(handle);
}

GlslProg::GlslProg(const std::string& vertexSource, const std::string& fragmentSource,
                   const std::string& geometrySource, GLint geometryInputType, GLint geometryOutputType,
                   GLint geometryOutputVertices)
    : obj_(std::make_shared<Obj>())
{
    obj_->handle = glCreateProgram();
    if (!vertexSource.empty())
        attachShader(vertexSource, GL_VERTEX_SHADER);
    if (!fragmentSource.empty())
        attachShader(fragmentSource, GL_FRAGMENT_SHADER);
    if (!geometrySource.empty()) {
        attachShader(geometrySource, GL_GEOMETRY_SHADER);
        glProgramParameteriARB(obj_->handle, GL_GEOMETRY_INPUT_TYPE_ARB, geometryInputType);
        glProgramParameteriARB(obj_->handle, GL_GEOMETRY_OUTPUT_TYPE_ARB, geometryOutputType);
        glProgramParameteriARB(obj_->handle, GL_GEOMETRY_VERTICES_OUT_ARB, geometryOutputVertices);
    }
    glLinkProgram(obj_->handle);
}

GlslProg::GlslProg(const DataSourceRef& vertexSource, const DataSourceRef& fragmentSource)
    : GlslProg(vertexSource ? vertexSource->getBuffer().asString() : std::string(),
               fragmentSource ? fragmentSource->getBuffer().asString() : std::string())
{
}

void GlslProg::attachShader(const std::string& source, GLenum type)
{
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        if (length > 0)
            glGetShaderInfoLog(shader, length, nullptr, log.data());
        glDeleteShader(shader);
        throw GlslProgCompileExc(log.data(), type);
    }
    glAttachShader(obj_->handle, shader);
    // Flagged for deletion now; GL frees it together with the program.
    glDeleteShader(shader);
}

void GlslProg::bind() const { glUseProgram(obj_->handle); }

void GlslProg::unbind() { glUseProgram(0); }

GLint GlslProg::getUniformLocation(const std::string& name) const
{
    auto found = obj_->uniformLocations.find(name);
    if (found != obj_->uniformLocations.end())
        return found->second;
    const GLint location = glGetUniformLocation(obj_->handle, name.c_str());
    obj_->uniformLocations.emplace(name, location);
    return location;
}

void GlslProg::uniform(const std::string& name, int value) const
{
    const GLint location = getUniformLocation(name);
    if (location != -1)
        glUniform1i(location, value);
}

void GlslProg::uniform(const std::string& name, float value) const
{
    const GLint location = getUniformLocation(name);
    if (location != -1)
        glUniform1f(location, value);
}

} // namespace vornix::gl
