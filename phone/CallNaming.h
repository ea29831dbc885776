#pragma once
// How a call recording is named: the phone's own name template, the call
// subfolder (or the date folder when calls are not kept apart), and the
// caller's text for %F, %I and %L.
#include <string>

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"

namespace tonilo {

// The naming request for a call into the recording folder of the settings; the
// extension is the encoder's and left to the caller.
NamingRequest MakeCallNamingRequest(const SettingsStore& settings, const std::string& callerText);

} // namespace tonilo
