#include "app/BookmarkFile.h"

#include <algorithm>

#include "codecs/include/ByteOrder.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

class Reader {
public:
    Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    bool AtEnd() const { return offset_ >= size_; }

    bool Read16(uint16_t* value) {
        if (size_ - offset_ < 2)
            return false;
        *value = ReadLe16(bytes_ + offset_);
        offset_ += 2;
        return true;
    }

    bool Read32(int32_t* value) {
        if (size_ - offset_ < 4)
            return false;
        *value = static_cast<int32_t>(ReadLe32(bytes_ + offset_));
        offset_ += 4;
        return true;
    }

    // Units up to the 0 unit; 260 units without one fail, as does the end of data.
    bool ReadString(std::string* text) {
        std::u16string units;
        for (;;) {
            uint16_t unit = 0;
            if (units.size() >= BookmarkDatabase::kMaxStoredUnits || !Read16(&unit))
                return false;
            if (unit == 0)
                break;
            units.push_back(static_cast<char16_t>(unit));
        }
        *text = Utf16ToUtf8(units);
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t offset_ = 0;
};

// At most 259 units and the 0; false when the text does not fit.
bool FitsTheFile(const std::u16string& units) {
    return units.size() < BookmarkDatabase::kMaxStoredUnits;
}

} // namespace

std::vector<FileBookmarks> ReadBookmarkFile(const uint8_t* bytes, size_t size) {
    std::vector<FileBookmarks> records;
    Reader reader(bytes, size);
    uint16_t version = 0;
    if (!reader.Read16(&version) || version != BookmarkDatabase::kFileVersion)
        return records;
    while (!reader.AtEnd()) {
        FileBookmarks record;
        int32_t count = 0;
        if (!reader.ReadString(&record.path) || !reader.Read32(&count) ||
            count > BookmarkDatabase::kMaxBookmarksPerFile)
            return records;
        for (int32_t entry = 0; entry < count; ++entry) {
            Bookmark bookmark;
            if (!reader.Read16(&bookmark.position) || !reader.ReadString(&bookmark.text))
                return records;
            bool taken = std::any_of(
                record.bookmarks.begin(), record.bookmarks.end(),
                [&](const Bookmark& mark) { return mark.position == bookmark.position; });
            if (!taken)
                record.bookmarks.push_back(std::move(bookmark));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string WriteBookmarkFile(const std::vector<FileBookmarks>& records) {
    std::string out;
    AppendLe16(&out, BookmarkDatabase::kFileVersion);
    for (const FileBookmarks& record : records) {
        std::u16string path = Utf8ToUtf16(record.path);
        // A path the reader would refuse would take every later record with it.
        if (!FitsTheFile(path))
            continue;
        AppendUtf16Le(&out, path, true);
        size_t count = std::min(record.bookmarks.size(),
                                static_cast<size_t>(BookmarkDatabase::kMaxBookmarksPerFile));
        AppendLe32(&out, static_cast<uint32_t>(count));
        for (size_t index = 0; index < count; ++index) {
            const Bookmark& bookmark = record.bookmarks[index];
            AppendLe16(&out, bookmark.position);
            std::u16string text = Utf8ToUtf16(bookmark.text);
            if (!FitsTheFile(text))
                text.resize(BookmarkDatabase::kMaxStoredUnits - 1);
            AppendUtf16Le(&out, text, true);
        }
    }
    return out;
}

} // namespace tonilo
