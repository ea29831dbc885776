#pragma once
// The handler of the call verbs ("-callprepare", "-callstart", "-callstop"). The
// phone layer above this one provides it; without one the application acts on
// the verbs itself.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace tonilo {

class RecorderController;

class CallVerbs {
public:
    virtual ~CallVerbs() = default;
    // `arguments` is the whole command line, the verb first.
    virtual void Handle(Verb verb, const std::vector<std::string>& arguments) = 0;
    // Whether the last verb asked to leave the main window in the background.
    virtual bool Background() const = 0;
};

// Made once the recorder controller exists; released before it goes.
using CallVerbsFactory = std::function<std::unique_ptr<CallVerbs>(RecorderController&)>;

} // namespace tonilo
