#include "tools/commands/OptionTable.h"

namespace tonilo::tool {

OptionOutcome ParseOptions(const Arguments& arguments, size_t first,
                           const std::vector<Option>& options, const NameTaker& takeName) {
    OptionOutcome outcome;
    for (size_t i = first; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        outcome.argument = argument;
        if (argument.compare(0, 2, "--") != 0) {
            if (!takeName || !takeName(argument)) {
                outcome.problem = OptionProblem::RefusedName;
                return outcome;
            }
            continue;
        }
        const Option* option = nullptr;
        for (const Option& candidate : options) {
            if (argument == candidate.name)
                option = &candidate;
        }
        if (!option) {
            outcome.problem = OptionProblem::UnknownOption;
            return outcome;
        }
        if (option->takesValue && i + 1 >= arguments.size()) {
            outcome.problem = OptionProblem::MissingValue;
            return outcome;
        }
        const std::string value = option->takesValue ? arguments[++i] : std::string();
        if (!option->take(value)) {
            outcome.problem = OptionProblem::BadValue;
            outcome.value = value;
            return outcome;
        }
    }
    outcome.argument.clear();
    return outcome;
}

Option FlagOption(const char* name, bool* target) {
    return {name, false, [target](const std::string&) { return *target = true; }};
}

Option TextOption(const char* name, std::string* target) {
    return {name, true, [target](const std::string& value) {
                *target = value;
                return true;
            }};
}

bool ParseSourceAndTarget(const Arguments& arguments, const std::vector<Option>& options,
                          std::string* source, std::string* target) {
    std::vector<std::string> names;
    auto takeName = [&names](const std::string& name) {
        names.push_back(name);
        return true;
    };
    if (!ParseOptions(arguments, 0, options, takeName).Ok() || names.size() != 2 ||
        names[0].empty() || names[1].empty())
        return false;
    *source = names[0];
    *target = names[1];
    return true;
}

} // namespace tonilo::tool
