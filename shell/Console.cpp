#include "shell/Console.h"

#include <streambuf>

#include "shell/platform/ConsoleOutput.h"

namespace vornix {

namespace {

std::function<void(const std::string&)>& lineHook()
{
    static std::function<void(const std::string&)> hook;
    return hook;
}

// Collects characters and hands over each complete line on its line end (and on an explicit flush).
class LineBuffer : public std::streambuf {
protected:
    int_type overflow(int_type ch) override
    {
        if (ch == traits_type::eof())
            return traits_type::not_eof(ch);
        if (ch == '\n')
            emit();
        else
            pending_.push_back(static_cast<char>(ch));
        return ch;
    }
    int sync() override
    {
        if (!pending_.empty())
            emit();
        return 0;
    }

private:
    void emit()
    {
        writeConsoleLine(pending_);
        if (lineHook())
            lineHook()(pending_);
        pending_.clear();
    }
    std::string pending_;
};

} // namespace

std::ostream& console()
{
    static LineBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

ConsoleCapture::ConsoleCapture() : previous_(lineHook())
{
    console().flush();
    lineHook() = [this](const std::string& line) {
        lines.push_back(line);
        if (previous_)
            previous_(line);
    };
}

ConsoleCapture::~ConsoleCapture()
{
    console().flush();
    lineHook() = previous_;
}

} // namespace vornix
