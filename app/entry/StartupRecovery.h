#pragma once
#include <string>

namespace tonilo {

// Names the recordings a crash or a kill left hidden under the recording folder
// of the settings at keyPath (its date and call subfolders included). Returns
// how many files it renamed.
int RecoverLeftRecordings(const char* settingsKeyPath);

} // namespace tonilo
