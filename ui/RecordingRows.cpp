#include "ui/RecordingRows.h"

#include <algorithm>

#include "platform/PathParts.h"

namespace tonilo {

void RecordingRows::Reset(const std::string& folder) {
    folder_ = folder;
    entries_.clear();
    rows_.clear();
    search_.clear();
    durations_.clear();
}

void RecordingRows::SetEntries(std::vector<FolderEntry> entries) {
    entries_ = std::move(entries);
    Filter();
}

bool RecordingRows::SetSearch(const std::string& text) {
    if (text == search_)
        return false;
    search_ = text;
    Filter();
    return true;
}

void RecordingRows::Filter() {
    rows_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (MatchesSearch(entries_[i].name, search_))
            rows_.push_back(static_cast<int32_t>(i));
    }
}

std::string RecordingRows::Joined(const std::string& name) const {
    return (folder_ == "/" ? "" : folder_) + "/" + name;
}

const FolderEntry* RecordingRows::At(int32_t row) const {
    if (row < 0 || row >= Count())
        return nullptr;
    return &entries_[static_cast<size_t>(rows_[static_cast<size_t>(row)])];
}

std::string RecordingRows::PathAt(int32_t row) const {
    const FolderEntry* entry = At(row);
    return entry ? Joined(entry->name) : "";
}

int32_t RecordingRows::RowOf(const std::string& path) const {
    if (FolderOf(path) != folder_)
        return -1;
    std::string name = FileNameOf(path);
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (entries_[static_cast<size_t>(rows_[row])].name == name)
            return static_cast<int32_t>(row);
    }
    return -1;
}

std::string RecordingRows::CellText(int32_t row, SecondColumn column) const {
    const FolderEntry* entry = At(row);
    if (!entry)
        return "";
    switch (column) {
    case SecondColumn::Date:
        return FormatDate(entry->modifiedNs);
    case SecondColumn::Size:
        return entry->folder ? "" : FormatSize(entry->size);
    case SecondColumn::Time: {
        auto known = durations_.find(entry->name);
        return entry->folder || known == durations_.end() ? "" : FormatDuration(known->second.ms);
    }
    case SecondColumn::None:
        break;
    }
    return "";
}

std::string RecordingRows::FileAfter(const std::string& path) const {
    if (FolderOf(path) != folder_)
        return "";
    std::string name = FileNameOf(path);
    auto at = std::find_if(entries_.begin(), entries_.end(),
                           [&](const FolderEntry& entry) { return entry.name == name; });
    if (at == entries_.end())
        return "";
    auto next =
        std::find_if(at + 1, entries_.end(), [](const FolderEntry& e) { return !e.folder; });
    return next == entries_.end() ? "" : Joined(next->name);
}

std::vector<std::string> RecordingRows::PathsWithoutDuration() {
    std::vector<std::string> paths;
    for (const FolderEntry& entry : entries_) {
        if (entry.folder)
            continue;
        auto known = durations_.find(entry.name);
        if (known != durations_.end() && known->second.size == entry.size &&
            known->second.modifiedNs == entry.modifiedNs)
            continue;
        durations_[entry.name] = Duration{entry.size, entry.modifiedNs, -1};
        paths.push_back(Joined(entry.name));
    }
    return paths;
}

void RecordingRows::SetDurations(const std::vector<std::pair<std::string, int64_t>>& found) {
    for (const auto& [path, ms] : found) {
        if (FolderOf(path) != folder_)
            continue;
        auto known = durations_.find(FileNameOf(path));
        if (known != durations_.end())
            known->second.ms = ms;
    }
}

} // namespace tonilo
