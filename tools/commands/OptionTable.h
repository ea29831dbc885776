#pragma once
// The options a command takes, as one table: the arguments are walked once,
// each "--name" is handed to its entry and everything else to the command as
// a name (a file, an address). The walk stops at the first problem, so what a
// command reports depends only on the arguments before it.
#include <functional>
#include <string>
#include <vector>

#include "tools/ToolCommand.h"
#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {

struct Option {
    const char* name; // with its dashes, "--rate"
    bool takesValue;  // false: a flag
    // Stores the value (a flag gets an empty one); false refuses it.
    std::function<bool(const std::string& value)> take;
};

// Takes a name; false refuses it (one too many, say).
using NameTaker = std::function<bool(const std::string& name)>;

enum class OptionProblem { None, UnknownOption, MissingValue, BadValue, RefusedName };

struct OptionOutcome {
    OptionProblem problem = OptionProblem::None;
    std::string argument; // the option or name the walk stopped at
    std::string value;    // the refused value, for BadValue

    bool Ok() const { return problem == OptionProblem::None; }
};

// Walks arguments from `first`. A null `takeName` refuses every name.
OptionOutcome ParseOptions(const Arguments& arguments, size_t first,
                           const std::vector<Option>& options, const NameTaker& takeName);

// Options and exactly two non-empty names, a source and a target.
bool ParseSourceAndTarget(const Arguments& arguments, const std::vector<Option>& options,
                          std::string* source, std::string* target);

Option FlagOption(const char* name, bool* target);
Option TextOption(const char* name, std::string* target);

template <typename T> Option NumberOption(const char* name, const NumberRange& range, T* target) {
    return {name, true, [range, target](const std::string& value) {
                return ParseWholeNumber(value, range, target);
            }};
}

} // namespace tonilo::tool
