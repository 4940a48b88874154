#include "shell/settings/TomlWriter.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace vornix {

namespace {

void writeKey(std::ostream& out, std::string_view key)
{
    const bool bare = !key.empty() && key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                             "0123456789_-") == std::string_view::npos;
    if (bare) {
        out << key;
        return;
    }
    // A quoted key is a basic string on one line: quotes, backslashes and control characters escaped.
    out << '"';
    for (const char c : key) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out << '\\' << c;
        else if (u < 0x20 || u == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", u);
            out << escape;
        } else
            out << c;
    }
    out << '"';
}

bool isTableArray(const toml::node& node)
{
    const toml::array* array = node.as_array();
    return array && array->is_array_of_tables() && !(*array)[0].as_table()->is_inline();
}

bool isBlockTable(const toml::node& node)
{
    const toml::table* table = node.as_table();
    return table && !table->is_inline();
}

void writeInline(std::ostream& out, const toml::node& node);

void writeInlineTable(std::ostream& out, const toml::table& table)
{
    if (table.empty()) {
        out << "{}";
        return;
    }
    out << "{ ";
    bool first = true;
    for (auto&& [key, value] : table) {
        out << (first ? "" : ", ");
        first = false;
        writeKey(out, key.str());
        out << " = ";
        writeInline(out, value);
    }
    out << " }";
}

// A value, array or table written where a value stands (after "key = " or inside an array).
void writeInline(std::ostream& out, const toml::node& node)
{
    if (const toml::table* table = node.as_table()) {
        writeInlineTable(out, *table);
    } else if (const toml::array* array = node.as_array()) {
        if (array->empty()) {
            out << "[]";
            return;
        }
        out << "[ ";
        for (std::size_t k = 0; k < array->size(); ++k) {
            out << (k ? ", " : "");
            writeInline(out, (*array)[k]);
        }
        out << " ]";
    } else {
        out << toml::toml_formatter(node);
    }
}

class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : out_(out) {}

    // The table's values, then its sub-tables under [path] headers, then its arrays of tables as [[path]] blocks.
    // `depth` counts the headers above it; lines under a header at depth d are indented by d - 1 levels.
    void write(const toml::table& table, int depth)
    {
        for (auto&& [key, value] : table) {
            if (isBlockTable(value) || isTableArray(value))
                continue;
            line(depth);
            writeKey(out_, key.str());
            out_ << " = ";
            writeInline(out_, value);
        }
        for (auto&& [key, value] : table) {
            if (!isBlockTable(value))
                continue;
            const toml::table& child = *value.as_table();
            path_.emplace_back(key.str());
            // A table that holds only tables needs no header of its own.
            bool onlyTables = !child.empty();
            for (auto&& [childKey, childValue] : child)
                onlyTables = onlyTables && (isBlockTable(childValue) || isTableArray(childValue));
            if (!onlyTables)
                header("[", "]", depth + 1);
            write(child, onlyTables ? depth : depth + 1);
            path_.pop_back();
        }
        for (auto&& [key, value] : table) {
            if (!isTableArray(value))
                continue;
            path_.emplace_back(key.str());
            for (const toml::node& element : *value.as_array()) {
                header("[[", "]]", depth + 1);
                write(*element.as_table(), depth + 1);
            }
            path_.pop_back();
        }
    }

private:
    void line(int depth)
    {
        if (written_)
            out_ << '\n';
        written_ = true;
        for (int k = 1; k < depth; ++k)
            out_ << "    ";
    }

    void header(const char* open, const char* close, int depth)
    {
        if (written_)
            out_ << '\n';
        line(depth);
        out_ << open;
        for (std::size_t k = 0; k < path_.size(); ++k) {
            out_ << (k ? "." : "");
            writeKey(out_, path_[k]);
        }
        out_ << close;
    }

    std::ostream& out_;
    std::vector<std::string> path_;
    bool written_ = false;
};

} // namespace

std::string tomlText(const toml::table& table)
{
    std::ostringstream out;
    BlockWriter(out).write(table, 0);
    out << '\n';
    return out.str();
}

} // namespace vornix
