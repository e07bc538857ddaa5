#include "platform/posix/ini_file.h"

namespace platform::posix {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    enum class Where { Before, Inside, After } where = Where::Before;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);

        if (line.empty()) continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            bool match = EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
            if (where == Where::Inside && !match) where = Where::After;
            if (match && where == Where::Before) where = Where::Inside;
            if (where == Where::After) return std::nullopt;  // only the first such section counts
            continue;
        }
        if (where != Where::Inside) continue;
        std::size_t equals = line.find('=');
        std::string_view name = Trim(line.substr(0, equals));
        if (!EqualsIgnoringCase(name, key)) continue;
        if (equals == std::string_view::npos) return std::string();
        return std::string(Unquote(Trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

}  // namespace platform::posix
