#include "app/BookmarkDatabase.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/BookmarkFile.h"
#include "platform/AtomicFile.h"
#include "platform/TextCompare.h"

namespace tonilo {
namespace {

bool FileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

} // namespace

bool SamePath(const std::string& left, const std::string& right) {
    return EqualIgnoringCase(left, right);
}

std::string FormatPosition(uint32_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

std::string BookmarksFilePath(const std::string& dataFolder) {
    return dataFolder + "/bookmarks.bin";
}

int BookmarkDatabase::Find(const std::string& path) const {
    for (size_t index = 0; index < records_.size(); ++index) {
        if (SamePath(records_[index].path, path))
            return static_cast<int>(index);
    }
    return -1;
}

int BookmarkDatabase::Add(const std::string& path, const Bookmark& bookmark) {
    int record = Find(path);
    if (record < 0) {
        records_.push_back(FileBookmarks{path, {bookmark}});
        return static_cast<int>(records_.size() - 1);
    }
    std::vector<Bookmark>& bookmarks = records_[record].bookmarks;
    // The file keeps at most this many per recording; more would be lost on load.
    if (bookmarks.size() >= static_cast<size_t>(kMaxBookmarksPerFile))
        return -1;
    auto place = std::find_if(bookmarks.begin(), bookmarks.end(), [&](const Bookmark& mark) {
        return mark.position >= bookmark.position;
    });
    if (place != bookmarks.end() && place->position == bookmark.position)
        return -1;
    auto inserted = bookmarks.insert(place, bookmark);
    return static_cast<int>(inserted - bookmarks.begin());
}

bool BookmarkDatabase::MoveToFront(const std::string& path) {
    int record = Find(path);
    if (record < 0)
        return false;
    std::rotate(records_.begin(), records_.begin() + record, records_.begin() + record + 1);
    return true;
}

bool BookmarkDatabase::RemoveFile(int index) {
    if (index < 0 || static_cast<size_t>(index) >= records_.size())
        return false;
    records_.erase(records_.begin() + index);
    return true;
}

bool BookmarkDatabase::RemoveFile(const std::string& path) {
    return RemoveFile(Find(path));
}

bool BookmarkDatabase::RenameFile(const std::string& oldPath, const std::string& newPath) {
    int record = Find(oldPath);
    if (record < 0)
        return false;
    // A record already holding the new name belongs to a file that was replaced.
    for (size_t index = 0; index < records_.size();) {
        if (static_cast<int>(index) != record && SamePath(records_[index].path, newPath)) {
            records_.erase(records_.begin() + index);
            if (static_cast<int>(index) < record)
                --record;
        } else {
            ++index;
        }
    }
    records_[record].path = newPath;
    return true;
}

bool BookmarkDatabase::CopyFile(const std::string& newPath, const std::string& oldPath) {
    int record = Find(oldPath);
    if (record < 0)
        return false;
    FileBookmarks copy = records_[record];
    copy.path = newPath;
    RemoveFile(newPath);
    records_.push_back(std::move(copy));
    return true;
}

size_t BookmarkDatabase::CleanUp() {
    size_t before = records_.size();
    records_.erase(
        std::remove_if(records_.begin(), records_.end(),
                       [](const FileBookmarks& record) { return !FileExists(record.path); }),
        records_.end());
    return before - records_.size();
}

bool BookmarkDatabase::RemoveBookmark(int record, int index) {
    if (record < 0 || static_cast<size_t>(record) >= records_.size())
        return false;
    std::vector<Bookmark>& bookmarks = records_[record].bookmarks;
    if (index < 0 || static_cast<size_t>(index) >= bookmarks.size())
        return false;
    bookmarks.erase(bookmarks.begin() + index);
    return true;
}

BookmarkDatabase& GetBookmarkDatabase() {
    static BookmarkDatabase database;
    return database;
}

void BookmarkDatabase::Parse(const uint8_t* bytes, size_t size) {
    for (FileBookmarks& record : ReadBookmarkFile(bytes, size)) {
        // One record per recording: a repeated path keeps the first.
        if (Find(record.path) < 0)
            records_.push_back(std::move(record));
    }
}

std::string BookmarkDatabase::Serialise() const {
    return WriteBookmarkFile(records_);
}

bool BookmarkDatabase::Load(const std::string& path) {
    records_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

bool BookmarkDatabase::Save(const std::string& path) const {
    if (records_.empty())
        return RemoveFileIfPresent(path);
    return WriteFileAtomically(path, Serialise());
}

} // namespace tonilo
