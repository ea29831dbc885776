#pragma once
// Every bookmark of every recording: positions in whole seconds with an optional
// text, grouped by recording. Loaded from "bookmarks.bin" at start-up and written
// back at exit; the most recently used recording's record is kept first. The
// file's layout is in BookmarkFile.h.
//
// Threads: the user-interface thread only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

struct Bookmark {
    uint16_t position = 0; // seconds from the start of the recording
    std::string text;      // empty when the bookmark has none
};

struct FileBookmarks {
    std::string path;
    std::vector<Bookmark> bookmarks; // ascending positions, no two alike
};

class BookmarkDatabase {
public:
    static constexpr uint16_t kFileVersion = 100;
    static constexpr int32_t kMaxBookmarksPerFile = 64;
    // Units of a path or text in the file, the terminating 0 included.
    static constexpr size_t kMaxStoredUnits = 260;

    // Index of the record of the path (compared without regard to case), or -1.
    int Find(const std::string& path) const;
    // Adds a copy. A new record is appended and its index in the database is
    // returned; otherwise the bookmark goes into its place in the record and its
    // index there is returned, or -1 when its position is taken or the record
    // already holds the most bookmarks the file can keep.
    int Add(const std::string& path, const Bookmark& bookmark);
    // The record of the path becomes the first; the others keep their order.
    bool MoveToFront(const std::string& path);
    bool RemoveFile(int index);
    bool RemoveFile(const std::string& path);
    // A recording got a new name or folder: its record takes the new path and
    // replaces any record already holding it.
    bool RenameFile(const std::string& oldPath, const std::string& newPath);
    // A recording was copied: a copy of its record under the new path replaces any
    // record of that path and is appended.
    bool CopyFile(const std::string& newPath, const std::string& oldPath);
    // Removes every record whose file no longer exists; returns how many.
    size_t CleanUp();
    bool RemoveBookmark(int record, int index);
    void Clear() { records_.clear(); }

    // Replaces the contents. A missing file, a wrong version or a damaged record
    // leaves the records read before it. False when the file cannot be read.
    bool Load(const std::string& path);
    // An empty database deletes the file; otherwise the file is replaced whole, so
    // a failed save leaves the previous one.
    bool Save(const std::string& path) const;

    // The file format in memory, for load and save and for tests.
    void Parse(const uint8_t* bytes, size_t size);
    std::string Serialise() const;

    size_t Size() const { return records_.size(); }
    bool Empty() const { return records_.empty(); }
    const FileBookmarks& At(size_t index) const { return records_.at(index); }
    const std::vector<FileBookmarks>& Records() const { return records_; }

private:
    std::vector<FileBookmarks> records_;
};

// Paths compare as the platform's file system names did: without regard to case.
bool SamePath(const std::string& left, const std::string& right);

// "%d:%02d:%02d" from an hour on, else "%d:%02d".
std::string FormatPosition(uint32_t seconds);

// "bookmarks.bin" in the folder that holds the program's data.
std::string BookmarksFilePath(const std::string& dataFolder);

// The database of the running program.
BookmarkDatabase& GetBookmarkDatabase();

} // namespace tonilo
