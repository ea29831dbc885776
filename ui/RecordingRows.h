#pragma once
// The rows of the folder the recording list shows: the sorted entries as read,
// those of them that type-to-find lets through, and the playing times found so
// far (kept by name, size and date, so a re-read keeps what is still valid).
//
// Threads: the user-interface thread.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/FolderListing.h"
#include "ui/RecordingEntries.h"

namespace tonilo {

class RecordingRows {
public:
    // Another folder: nothing listed, no search, no durations.
    void Reset(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    // A fresh read of the folder, sorted.
    void SetEntries(std::vector<FolderEntry> entries);
    // False when the text is what it was.
    bool SetSearch(const std::string& text);
    const std::string& Search() const { return search_; }

    int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
    // Null outside the rows.
    const FolderEntry* At(int32_t row) const;
    std::string PathAt(int32_t row) const;
    // The row showing the path, -1 when none.
    int32_t RowOf(const std::string& path) const;
    std::string CellText(int32_t row, SecondColumn column) const;
    // The file listed after `path` (search aside), no wrap; "" when none.
    std::string FileAfter(const std::string& path) const;

    // Files whose duration is not known yet; they count as asked for.
    std::vector<std::string> PathsWithoutDuration();
    void SetDurations(const std::vector<std::pair<std::string, int64_t>>& found);

private:
    struct Duration {
        int64_t size = 0;
        int64_t modifiedNs = 0;
        int64_t ms = -1;
    };
    void Filter();
    std::string Joined(const std::string& name) const;

    std::string folder_;
    std::vector<FolderEntry> entries_;
    std::vector<int32_t> rows_; // indices into entries_
    std::string search_;
    std::map<std::string, Duration> durations_;
};

} // namespace tonilo
