#include "app/AutostartExec.h"

#include <vector>

namespace app {
namespace {

// Where in an entry its Exec program is written, and what it says.
struct ExecProgramSpan {
    size_t begin = 0;
    size_t end = 0;
    std::string program;
    bool hasArguments = false;
};

// A character of a value with its string escape undone, and where it ends in the file.
struct ValueChar {
    char c;
    size_t end;
};

std::optional<std::vector<ValueChar>> unescapedValue(std::string_view entry, size_t begin, size_t end) {
    std::vector<ValueChar> chars;
    for (size_t i = begin; i < end; ++i) {
        char c = entry[i];
        if (c == '\\') {
            if (++i == end) return std::nullopt;
            switch (entry[i]) {
                case 's':
                    c = ' ';
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case '\\':
                    c = '\\';
                    break;
                default:
                    return std::nullopt;
            }
        }
        chars.push_back({c, i + 1});
    }
    return chars;
}

// The first argument of the Exec value between `begin` and `end`.
std::optional<ExecProgramSpan> firstArgument(std::string_view entry, size_t begin, size_t end) {
    const auto chars = unescapedValue(entry, begin, end);
    if (!chars || chars->empty()) return std::nullopt;
    std::string argument;
    size_t i = 0;
    if ((*chars)[0].c == '"') {
        for (i = 1;; ++i) {
            if (i == chars->size()) return std::nullopt;
            char c = (*chars)[i].c;
            if (c == '"') break;
            if (c == '\\') {
                if (++i == chars->size()) return std::nullopt;
                c = (*chars)[i].c;
                if (c != '"' && c != '`' && c != '$' && c != '\\') return std::nullopt;
            }
            argument += c;
        }
        ++i;
        if (i < chars->size() && (*chars)[i].c != ' ') return std::nullopt;
    } else {
        for (; i < chars->size() && (*chars)[i].c != ' '; ++i) argument += (*chars)[i].c;
        if (i == 0) return std::nullopt;
    }
    // A percent sign is written twice; any other field code is no part of a program's name.
    std::string program;
    for (size_t k = 0; k < argument.size(); ++k) {
        if (argument[k] == '%' && (++k == argument.size() || argument[k] != '%')) return std::nullopt;
        program += argument[k];
    }
    return ExecProgramSpan{begin, (*chars)[i - 1].end, program, i < chars->size()};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::optional<ExecProgramSpan> findExecProgram(std::string_view entry) {
    bool inEntryGroup = false;
    std::optional<ExecProgramSpan> found;
    bool seen = false;
    for (size_t lineBegin = 0; lineBegin < entry.size();) {
        size_t lineEnd = entry.find('\n', lineBegin);
        if (lineEnd == std::string_view::npos) lineEnd = entry.size();
        size_t first = lineBegin;
        while (first < lineEnd && isBlank(entry[first])) ++first;
        size_t last = lineEnd;
        while (last > first && isBlank(entry[last - 1])) --last;
        const std::string_view line = entry.substr(first, last - first);
        if (!line.empty() && line[0] == '[') {
            inEntryGroup = line == "[Desktop Entry]";
        } else if (inEntryGroup && !line.empty() && line[0] != '#') {
            const size_t eq = line.find('=');
            std::string_view key = line.substr(0, eq);
            while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
            if (eq != std::string_view::npos && key == "Exec") {
                if (seen) return std::nullopt;
                seen = true;
                size_t value = first + eq + 1;
                while (value < last && isBlank(entry[value])) ++value;
                found = firstArgument(entry, value, last);
            }
        }
        lineBegin = lineEnd + 1;
    }
    return found;
}

}  // namespace

std::string execArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (char c : quoted) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '%':
                out += "%%";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> execProgram(std::string_view entry) {
    const auto span = findExecProgram(entry);
    if (!span) return std::nullopt;
    return span->program;
}

std::optional<std::string> withExecProgram(std::string_view entry, const std::filesystem::path& program) {
    const auto span = findExecProgram(entry);
    if (!span) return std::nullopt;
    std::string rewritten(entry.substr(0, span->begin));
    rewritten += execArgument(program.string());
    rewritten += entry.substr(span->end);
    return rewritten;
}

std::optional<std::string> withOnlyArgument(std::string_view entry, std::string_view argument) {
    const auto span = findExecProgram(entry);
    if (!span || span->hasArguments) return std::nullopt;
    std::string rewritten(entry.substr(0, span->end));
    rewritten += ' ';
    rewritten += argument;
    rewritten += entry.substr(span->end);
    return rewritten;
}

}  // namespace app
