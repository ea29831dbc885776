#pragma once
// Starting other programs: waited for (systemctl), or detached (the program a
// notification starts, which must outlive whoever wrote the triggering value).
#include <string>
#include <vector>

namespace tonilo {

// Exit code of the program, -1 when it could not be started or was killed.
int RunAndWait(const std::vector<std::string>& arguments);
// Starts the program in a session of its own without waiting for it; a thread
// reaps it so a long-lived caller collects no zombies.
bool SpawnDetached(const std::vector<std::string>& arguments);

// Splits a command line as the program's own tokenizer reads it: blanks separate,
// a double quote runs to the next double quote. "\"/opt/Tonilo/tonilo\" -callstart"
// gives the path and "-callstart".
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

} // namespace tonilo
