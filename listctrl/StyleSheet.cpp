#include "listctrl/StyleSheet.h"

#include <sstream>

namespace tonilo {
namespace {

std::string Trim(const std::string& text) {
    const char* space = " \t\r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

} // namespace

StyleSheet ParseStyleSheet(const std::string& text) {
    StyleSheet sheet;
    std::string section;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line;
            sheet.sections.push_back(section);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        sheet.entries.push_back(
            {section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
    return sheet;
}

} // namespace tonilo
