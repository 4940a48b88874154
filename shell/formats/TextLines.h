// Small helpers for the line-based colour files: lines with their numbers (LF or CR LF), trimming, and numbers read
// the same way in every locale.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace vornix {

class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text) {}
    // The next line without its line end; false at the end of the text.
    bool next(std::string_view& line);
    // The number of the line last returned (from 1).
    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    int number_ = 0;
};

std::string_view trimmed(std::string_view text);
// A whole number taking up all of `text`, or nothing.
std::optional<long long> parseWhole(std::string_view text);
// The numbers at the start of `text`, separated by blanks, up to the first word that is not a number.
std::vector<double> parseNumbers(std::string_view text);

} // namespace vornix
