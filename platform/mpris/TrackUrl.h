#pragma once
// How the desktop's player widgets name what plays: a URL for the file or
// stream, and an object path that changes with every new track (clients use
// it to tell a new track from new metadata of the same one).
#include <cstdint>
#include <string>

namespace tonilo {

// A web address passes as it is; a file path becomes a file:// URL with every
// byte other than unreserved characters and '/' percent-encoded (UTF-8 names
// stay byte-exact). A relative path is taken from the working folder. Empty
// for an empty path.
std::string TrackUrl(const std::string& path);

// "/org/tonilo/track/<number>"; number 0 is the "no track" path MPRIS reserves.
std::string TrackObjectPath(uint64_t number);

} // namespace tonilo
