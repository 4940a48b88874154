#include "shell/image/ImageIoRegistrar.h"

#include <algorithm>
#include <map>
#include <vector>

#include "shell/Path.h"
#include "shell/image/ImageSourceJpeg.h"
#include "shell/image/ImageSourcePng.h"
#include "shell/image/ImageTargetJpeg.h"
#include "shell/image/ImageTargetPng.h"

namespace vornix {

namespace {

template <typename Factory> struct Entry {
    int priority;
    Factory factory;
};

template <typename Factory> void insertByPriority(std::vector<Entry<Factory>>& list, Factory factory, int priority)
{
    // Stable: among equal priorities the earlier registration is tried first.
    auto at = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.priority < priority; });
    list.insert(at, Entry<Factory>{priority, std::move(factory)});
}

struct Registry {
    std::map<std::string, std::vector<Entry<ImageIoRegistrar::SourceFactory>>> sourcesByExtension;
    std::vector<Entry<ImageIoRegistrar::SourceFactory>> genericSources;
    std::map<std::string, std::vector<Entry<ImageIoRegistrar::TargetFactory>>> targets;

    Registry()
    {
        insertByPriority<ImageIoRegistrar::SourceFactory>(genericSources, ImageSourceJpeg::create, 2);
        insertByPriority<ImageIoRegistrar::SourceFactory>(genericSources, ImageSourcePng::create, 2);
        insertByPriority<ImageIoRegistrar::TargetFactory>(targets["png"], ImageTargetPng::create, 2);
        for (const char* ext : {"jpg", "jpeg", "jpe"})
            insertByPriority<ImageIoRegistrar::TargetFactory>(targets[ext], ImageTargetJpeg::create, 2);
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void ImageIoRegistrar::registerSourceType(const std::string& extension, SourceFactory factory, int priority)
{
    insertByPriority(registry().sourcesByExtension[toLowerAscii(extension)], std::move(factory), priority);
}

void ImageIoRegistrar::registerSourceGeneric(SourceFactory factory, int priority)
{
    insertByPriority(registry().genericSources, std::move(factory), priority);
}

void ImageIoRegistrar::registerTargetType(const std::string& extension, TargetFactory factory, int priority)
{
    insertByPriority(registry().targets[toLowerAscii(extension)], std::move(factory), priority);
}

ImageSourceRef ImageIoRegistrar::createSource(const DataSourceRef& source, const ImageSource::Options& options,
                                              const std::string& extension)
{
    if (!source)
        throw ImageIoExceptionFailedLoad("no data");
    Registry& r = registry();
    std::string reasons;
    auto tryList = [&](const std::vector<Entry<SourceFactory>>& list) -> ImageSourceRef {
        for (const auto& entry : list) {
            try {
                if (ImageSourceRef image = entry.factory(source, options))
                    return image;
            } catch (const ImageIoException& e) {
                reasons += reasons.empty() ? e.getDetail() : "; " + e.getDetail();
            }
        }
        return nullptr;
    };
    const auto byExtension = r.sourcesByExtension.find(toLowerAscii(extension));
    if (byExtension != r.sourcesByExtension.end())
        if (ImageSourceRef image = tryList(byExtension->second))
            return image;
    if (ImageSourceRef image = tryList(r.genericSources))
        return image;
    throw ImageIoExceptionFailedLoad(reasons.empty() ? std::string("no decoder") : reasons);
}

ImageTargetRef ImageIoRegistrar::createTarget(DataTargetRef target, const ImageSource& source,
                                              const ImageTarget::Options& options, const std::string& extension)
{
    const auto found = registry().targets.find(toLowerAscii(extension));
    if (found == registry().targets.end() || found->second.empty())
        throw ImageIoExceptionUnknownExtension(extension.empty() ? std::string("no extension")
                                                                 : "\"" + extension + "\"");
    return found->second.front().factory(std::move(target), source, options);
}

bool ImageIoRegistrar::hasTarget(const std::string& extension)
{
    const auto found = registry().targets.find(toLowerAscii(extension));
    return found != registry().targets.end() && !found->second.empty();
}

} // namespace vornix
