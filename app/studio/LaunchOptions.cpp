#include "app/studio/LaunchOptions.h"

#include <charconv>

#include "shell/platform/ConsoleOutput.h"

#ifndef VORNIX_VERSION
#define VORNIX_VERSION "unknown"
#endif

namespace vornix {

namespace {

std::uint64_t parseSeed(const std::string& text)
{
    std::uint64_t seed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, seed);
    if (text.empty() || error != std::errc() || stop != end)
        throw LaunchOptionsError("--seed needs a whole number from 0 to 18446744073709551615, not '" + text + "'");
    return seed;
}

} // namespace

LaunchOptions parseLaunchOptions(const std::vector<std::string>& args)
{
    LaunchOptions options;
    bool optionsEnded = false;
    for (std::size_t k = 1; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--autopilot") {
            options.autopilot = true;
        } else if (arg == "--seed") {
            if (k + 1 >= args.size())
                throw LaunchOptionsError("--seed needs a number");
            options.seed = parseSeed(args[++k]);
        } else if (arg.rfind("--seed=", 0) == 0) {
            options.seed = parseSeed(arg.substr(7));
        } else if (arg == "--audio") {
            options.audio = std::string();
        } else if (arg.rfind("--audio=", 0) == 0) {
            options.audio = arg.substr(8);
        } else {
            throw LaunchOptionsError("unknown option '" + arg + "'");
        }
    }
    return options;
}

std::string launchUsage()
{
    return "Usage: vornix [OPTION]... [FILE]...\n"
           "An interactive fluid simulation: drag with the right mouse button to drop dye, with the left to push.\n"
           "\n"
           "Options:\n"
           "  --autopilot      paint by itself from the start (the help picture is not shown)\n"
           "  --seed N         make the autopilot's run repeatable (N: a whole number)\n"
           "  --audio          let the dye move with the sound the computer plays\n"
           "  --audio=NAME     ... with the sound of the input device whose name contains NAME\n"
           "  -h, --help       show this text and exit\n"
           "      --version    show the version and exit\n"
           "\n"
           "FILE: a preset or colour scheme (.toml), a GIMP gradient (.ggr) or palette (.gpl), or a picture whose\n"
           "middle row is a colour gradient (.png, .jpg); each is imported, and the last one is made active.\n";
}

std::string launchVersion() { return std::string("vornix ") + VORNIX_VERSION + "\n"; }

std::optional<int> answerWithoutWindow(const std::vector<std::string>& args)
{
    try {
        const LaunchOptions options = parseLaunchOptions(args);
        if (options.help) {
            writeTerminal(launchUsage(), false);
            return 0;
        }
        if (options.version) {
            writeTerminal(launchVersion(), false);
            return 0;
        }
    } catch (const LaunchOptionsError& e) {
        writeTerminal(std::string("vornix: ") + e.what() + "\n\n" + launchUsage(), true);
        return 2;
    }
    return std::nullopt;
}

} // namespace vornix
