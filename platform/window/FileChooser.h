#pragma once
// A folder or file chooser over the window: the folder's path, its sub-folders
// and (choosing a file) its files of the wanted extensions as rows a finger can
// hit, a name line when saving, and the choose and cancel buttons. Saving onto a
// file that is there asks first whether to replace it. The overlay shows one
// chooser at a time inside a modal popup. User-interface thread only.
#include <functional>
#include <string>
#include <vector>

#include "platform/window/OverlayWidgets.h"

namespace tonilo {

class FileChooser {
public:
    enum class Kind { Folder, Open, Save };
    struct Entry {
        std::string name;
        bool folder = false;
    };

    // `start` is a folder, or a file whose folder opens (and whose name a save
    // proposes); anything else opens on the root.
    FileChooser(Kind kind, std::string title, const std::string& start,
                std::vector<std::string> extensions,
                std::function<void(const std::string&)> chosen);

    // Draws the chooser into the popup the caller began; true when it ended,
    // with the path chosen in `result` (empty when cancelled).
    bool Draw(const OverlayTexts& texts, float fontPixels, std::string* result);
    std::function<void(const std::string&)> TakeCallback() { return std::move(chosen_); }
    const std::string& Folder() const { return folder_; }

    // What a folder shows: its sub-folders, then (unless only folders are
    // chosen) its files with one of the extensions (any case; none lists
    // every file); hidden ones left out, each group sorted by name.
    static std::vector<Entry> List(const std::string& folder, Kind kind,
                                   const std::vector<std::string>& extensions);
    // The file a typed name saves to: spaces around it dropped, the first
    // extension added when it has none of them; empty for a name that is no
    // file's name ("", ".", "..", one with a slash).
    static std::string SavePath(const std::string& folder, const std::string& name,
                                const std::vector<std::string>& extensions);

private:
    void Enter(const std::string& folder);
    // The path the choose button takes now; empty when it is disabled.
    std::string Choice() const;
    void DrawEntries(float fontPixels, bool* choose);
    bool DrawReplaceQuestion(const OverlayTexts& texts, float fontPixels);

    Kind kind_;
    std::string title_;
    std::string folder_;
    std::vector<std::string> extensions_;
    std::function<void(const std::string&)> chosen_;
    std::vector<Entry> entries_;
    std::string selected_;   // the file tapped (opening)
    std::vector<char> name_; // what ImGui edits in place (saving)
    std::string replacing_;  // the existing file the question is about
    bool focusName_ = false;
};

} // namespace tonilo
