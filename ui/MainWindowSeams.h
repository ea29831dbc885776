#pragma once
// What the pieces of other windows do for the main window: the dialogs, and
// the desktop's media controls. An unset hook leaves its commands without a
// visible effect.
#include <cstdint>
#include <functional>
#include <string>

namespace tonilo {

struct MainWindowSeams {
    // The dialogs (settings, filters, equalizer, scheduler, bookmark manager and
    // options, export, properties, about ...): true when one opened.
    std::function<bool(uint32_t command)> dialog;
    // What plays, for the desktop's media controls: status 0 stopped, 1 playing,
    // 2 paused; an empty path means nothing is open.
    std::function<void(int32_t status, const std::string& path, int64_t lengthMs)> playback;
    // Asks for a new bookmark's text while BMAsk is set (BookmarksUi::TextAsker);
    // unset, bookmarks are added without one.
    std::function<void(const std::string& initial,
                       std::function<void(bool ok, const std::string& text)> answered)>
        bookmarkText;
};

} // namespace tonilo
