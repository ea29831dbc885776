// Reading and writing "bookmarks.bin" for the bookmark database.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "codecs/include/ByteOrder.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"
#include "ui/BookmarkDatabase.h"

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

void BookmarkDatabase::Parse(const uint8_t* bytes, size_t size) {
    Reader reader(bytes, size);
    uint16_t version = 0;
    if (!reader.Read16(&version) || version != kFileVersion)
        return;
    while (!reader.AtEnd()) {
        FileBookmarks record;
        int32_t count = 0;
        if (!reader.ReadString(&record.path) || !reader.Read32(&count) ||
            count > kMaxBookmarksPerFile)
            return;
        for (int32_t entry = 0; entry < count; ++entry) {
            Bookmark bookmark;
            if (!reader.Read16(&bookmark.position) || !reader.ReadString(&bookmark.text))
                return;
            bool taken = std::any_of(
                record.bookmarks.begin(), record.bookmarks.end(),
                [&](const Bookmark& mark) { return mark.position == bookmark.position; });
            if (!taken)
                record.bookmarks.push_back(std::move(bookmark));
        }
        // One record per recording: a repeated path keeps the first.
        if (find(record.path) < 0)
            records_.push_back(std::move(record));
    }
}

std::string BookmarkDatabase::Serialise() const {
    std::string out;
    AppendLe16(&out, kFileVersion);
    for (const FileBookmarks& record : records_) {
        std::u16string path = Utf8ToUtf16(record.path);
        // A path the reader would refuse would take every later record with it.
        if (!FitsTheFile(path))
            continue;
        AppendUtf16Le(&out, path, true);
        size_t count = std::min(record.bookmarks.size(), static_cast<size_t>(kMaxBookmarksPerFile));
        AppendLe32(&out, static_cast<uint32_t>(count));
        for (size_t index = 0; index < count; ++index) {
            const Bookmark& bookmark = record.bookmarks[index];
            AppendLe16(&out, bookmark.position);
            std::u16string text = Utf8ToUtf16(bookmark.text);
            if (!FitsTheFile(text))
                text.resize(kMaxStoredUnits - 1);
            AppendUtf16Le(&out, text, true);
        }
    }
    return out;
}

bool BookmarkDatabase::load(const std::string& path) {
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

bool BookmarkDatabase::save(const std::string& path) const {
    if (records_.empty())
        return RemoveFileIfPresent(path);
    return WriteFileAtomically(path, Serialise());
}

} // namespace tonilo
