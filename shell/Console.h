// The console: a text stream for diagnostic lines. Each complete line goes to standard error (on Windows to the
// debugger output as well, see platform/ConsoleOutput.h) and to any capture installed by a test. No levels, no log
// file.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vornix {

// The process-wide console stream, made on first use.
std::ostream& console();

// While alive, every console line (without its line end) is also appended to `lines`. For tests.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    std::vector<std::string> lines;

private:
    std::function<void(const std::string&)> previous_;
};

} // namespace vornix
