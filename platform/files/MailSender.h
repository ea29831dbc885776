#pragma once
// "Send To" → "E-mail / MMS": hands files to the desktop's mail program
// through xdg-email, when it is installed.
#include <string>
#include <vector>

namespace tonilo {

// The xdg-email program found on PATH, "" when there is none.
std::string FindMailProgram();
// The command line that attaches the files: xdg-email --attach A --attach B.
std::vector<std::string> MailCommandLine(const std::string& program,
                                         const std::vector<std::string>& files);
// Starts the mail program with the items that are files attached (folders and
// missing paths are left out); false when none is left or it cannot start.
bool SendByMail(const std::vector<std::string>& items);

} // namespace tonilo
