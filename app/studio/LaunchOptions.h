// The command line: what a desktop shortcut, a kiosk set-up or a file manager's "Open with" hands vornix.
//
//   vornix [--autopilot] [--seed N] [--audio[=NAME]] [FILE...]
//   vornix --help | --version
//
// Without options vornix starts as it always has. Files are opened as a drop onto the window opens them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornix {

struct LaunchOptions {
    bool help = false;
    bool version = false;
    bool autopilot = false;                  // start painting by itself (and skip the help picture)
    std::optional<std::uint64_t> seed;       // makes the autopilot's run repeatable
    std::optional<std::string> audio;        // react to sound: "" what the computer plays, else part of a device's name
    std::vector<std::string> files;          // presets, colour schemes, gradients, palettes, image strips
};

// A command line vornix does not understand; what() says what is wrong, without the usage.
class LaunchOptionsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name (args[0] is skipped). "--" ends the options: what follows is files.
// Throws LaunchOptionsError for an unknown option, a missing or malformed value.
LaunchOptions parseLaunchOptions(const std::vector<std::string>& args);

// The usage text (--help), ending in a newline.
std::string launchUsage();
// "vornix 1.2.3", ending in a newline.
std::string launchVersion();

// What main does before any window: prints the usage or the version (status 0), or the error with the usage on
// standard error (status 2). Nothing when the program should start.
std::optional<int> answerWithoutWindow(const std::vector<std::string>& args);

} // namespace vornix
