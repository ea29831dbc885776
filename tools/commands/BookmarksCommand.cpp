// tonilo-tool bookmarks: the bookmark database in "bookmarks.bin" of the data
// folder, changed as the program changes it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/BookmarkDatabase.h"
#include "tools/ToolCommand.h"
#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {
namespace {

const char* kUsage = "bookmarks list [FILE]\n"
                     "       tonilo-tool bookmarks add FILE SECONDS [TEXT]\n"
                     "       tonilo-tool bookmarks remove FILE SECONDS\n"
                     "       tonilo-tool bookmarks rename OLD NEW\n"
                     "       tonilo-tool bookmarks cleanup\n"
                     "SECONDS is a whole number from 0 to 65535";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tonilo-tool: %s\n", message.c_str());
    return kExitFailure;
}

bool ParsePosition(const std::string& text, uint16_t* position) {
    uint32_t value = 0;
    if (!ParseUnsignedDigits(text, 10, &value) || value > 0xFFFF)
        return false;
    *position = static_cast<uint16_t>(value);
    return true;
}

// The database keeps full paths, as the program hands them over.
std::string FullPath(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(path, ignored);
    return full.empty() ? path : full.lexically_normal().string();
}

void PrintRecord(const FileBookmarks& record) {
    std::printf("%s\n", record.path.c_str());
    for (const Bookmark& bookmark : record.bookmarks)
        std::printf("  %s%s%s\n", FormatPosition(bookmark.position).c_str(),
                    bookmark.text.empty() ? "" : "  ", bookmark.text.c_str());
}

int Save(const BookmarkDatabase& database, const std::string& file) {
    if (!database.Save(file))
        return Fail("cannot write " + file + "; it keeps its previous bookmarks.");
    return kExitOk;
}

} // namespace

int RunBookmarksCommand(const ToolContext& context, const Arguments& arguments) {
    if (arguments.empty())
        return UsageError(kUsage);
    const std::string& action = arguments[0];
    const std::string file = BookmarksFilePath(context.dataFolder);
    BookmarkDatabase database;
    database.Load(file);

    if (action == "list" && arguments.size() <= 2) {
        if (arguments.size() == 1) {
            for (const FileBookmarks& record : database.Records())
                PrintRecord(record);
            return kExitOk;
        }
        int record = database.Find(FullPath(arguments[1]));
        if (record < 0)
            return Fail("there are no bookmarks for " + arguments[1] + ".");
        PrintRecord(database.At(static_cast<size_t>(record)));
        return kExitOk;
    }
    if (action == "add" && (arguments.size() == 3 || arguments.size() == 4)) {
        Bookmark bookmark;
        if (!ParsePosition(arguments[2], &bookmark.position))
            return UsageError(kUsage);
        if (arguments.size() == 4)
            bookmark.text = arguments[3];
        const std::string path = FullPath(arguments[1]);
        bool isNew = database.Find(path) < 0;
        if (!isNew && database.Add(path, bookmark) < 0) {
            const size_t held = database.At(database.Find(path)).bookmarks.size();
            if (held >= static_cast<size_t>(BookmarkDatabase::kMaxBookmarksPerFile))
                return Fail(path + " already has as many bookmarks as a recording can keep (64).");
            return Fail(path + " already has a bookmark at " + FormatPosition(bookmark.position) +
                        ".");
        }
        if (isNew)
            database.Add(path, bookmark);
        database.MoveToFront(path);
        return Save(database, file);
    }
    if (action == "remove" && arguments.size() == 3) {
        uint16_t position = 0;
        if (!ParsePosition(arguments[2], &position))
            return UsageError(kUsage);
        int record = database.Find(FullPath(arguments[1]));
        int index = -1;
        if (record >= 0) {
            const std::vector<Bookmark>& bookmarks = database.At(record).bookmarks;
            for (size_t i = 0; i < bookmarks.size(); ++i) {
                if (bookmarks[i].position == position)
                    index = static_cast<int>(i);
            }
        }
        if (index < 0)
            return Fail("there is no bookmark at " + FormatPosition(position) + " in " +
                        arguments[1] + ".");
        database.RemoveBookmark(record, index);
        // A recording without bookmarks keeps no record, as in the manager.
        if (database.At(record).bookmarks.empty())
            database.RemoveFile(record);
        return Save(database, file);
    }
    if (action == "rename" && arguments.size() == 3) {
        if (!database.RenameFile(FullPath(arguments[1]), FullPath(arguments[2])))
            return Fail("there are no bookmarks for " + arguments[1] + ".");
        return Save(database, file);
    }
    if (action == "cleanup" && arguments.size() == 1) {
        size_t removed = database.CleanUp();
        std::printf("%zu record%s of missing files removed\n", removed, removed == 1 ? "" : "s");
        return removed ? Save(database, file) : kExitOk;
    }
    return UsageError(kUsage);
}

} // namespace tonilo::tool
