// TOML text of a document, laid out as toml++ lays it out (keys in order, a table's values before its sub-tables,
// arrays of tables as [[a.b]] blocks, arrays on one line). The library prints each value; the arrays and inline tables
// around them are printed here, because toml++ 3.3 estimates their printed width from log10 of each float and converts
// a negative estimate (any float below 0.1 but zero, such as a colour channel of 0.05) to an unsigned size: undefined
// behaviour.
#pragma once

#include <string>

#include <toml++/toml.h>

namespace vornix {

// The document as TOML text, ending with a line break.
std::string tomlText(const toml::table& table);

} // namespace vornix
