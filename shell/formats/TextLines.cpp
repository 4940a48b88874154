#include "shell/formats/TextLines.h"

#include <charconv>

namespace vornix {

bool TextLines::next(std::string_view& line)
{
    if (at_ >= text_.size())
        return false;
    std::size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos)
        end = text_.size();
    line = text_.substr(at_, end - at_);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    at_ = end + 1;
    ++number_;
    return true;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<long long> parseWhole(std::string_view text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<double> parseNumbers(std::string_view text)
{
    std::vector<double> numbers;
    for (;;) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (text.empty())
            break;
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || (end != text.data() + text.size() && *end != ' ' && *end != '\t'))
            break;
        numbers.push_back(value);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    }
    return numbers;
}

} // namespace vornix
