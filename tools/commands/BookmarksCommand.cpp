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
    return ParseWholeNumber(text, {0, 0xFFFF, 10, NumberSign::None}, position);
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

// One bookmarks command line, checked before the database is read.
struct BookmarksRequest {
    std::string action;
    bool hasFile = false; // list names one
    std::string file;     // as typed, for messages
    std::string newFile;  // rename's NEW
    Bookmark bookmark;    // add's and remove's
};

bool ParseBookmarks(const Arguments& arguments, BookmarksRequest* request) {
    if (arguments.empty())
        return false;
    const std::string& action = arguments[0];
    const size_t count = arguments.size();
    bool fits = (action == "list" && count <= 2) ||
                (action == "add" && (count == 3 || count == 4)) ||
                (action == "remove" && count == 3) || (action == "rename" && count == 3) ||
                (action == "cleanup" && count == 1);
    if (!fits)
        return false;
    request->action = action;
    request->hasFile = count >= 2;
    if (request->hasFile)
        request->file = arguments[1];
    if ((action == "add" || action == "remove") &&
        !ParsePosition(arguments[2], &request->bookmark.position))
        return false;
    if (action == "add" && count == 4)
        request->bookmark.text = arguments[3];
    if (action == "rename")
        request->newFile = arguments[2];
    return true;
}

int List(const BookmarkDatabase& database, const BookmarksRequest& request) {
    if (!request.hasFile) {
        for (const FileBookmarks& record : database.Records())
            PrintRecord(record);
        return kExitOk;
    }
    int record = database.Find(FullPath(request.file));
    if (record < 0)
        return Fail("there are no bookmarks for " + request.file + ".");
    PrintRecord(database.At(static_cast<size_t>(record)));
    return kExitOk;
}

int Add(BookmarkDatabase* database, const BookmarksRequest& request, const std::string& file) {
    const Bookmark& bookmark = request.bookmark;
    const std::string path = FullPath(request.file);
    bool isNew = database->Find(path) < 0;
    if (!isNew && database->Add(path, bookmark) < 0) {
        const size_t held = database->At(database->Find(path)).bookmarks.size();
        if (held >= static_cast<size_t>(BookmarkDatabase::kMaxBookmarksPerFile))
            return Fail(path + " already has as many bookmarks as a recording can keep (64).");
        return Fail(path + " already has a bookmark at " + FormatPosition(bookmark.position) + ".");
    }
    if (isNew)
        database->Add(path, bookmark);
    database->MoveToFront(path);
    return Save(*database, file);
}

int Remove(BookmarkDatabase* database, const BookmarksRequest& request, const std::string& file) {
    const uint16_t position = request.bookmark.position;
    int record = database->Find(FullPath(request.file));
    int index = -1;
    if (record >= 0) {
        const std::vector<Bookmark>& bookmarks = database->At(record).bookmarks;
        for (size_t i = 0; i < bookmarks.size(); ++i) {
            if (bookmarks[i].position == position)
                index = static_cast<int>(i);
        }
    }
    if (index < 0)
        return Fail("there is no bookmark at " + FormatPosition(position) + " in " + request.file +
                    ".");
    database->RemoveBookmark(record, index);
    // A recording without bookmarks keeps no record, as in the manager.
    if (database->At(record).bookmarks.empty())
        database->RemoveFile(record);
    return Save(*database, file);
}

} // namespace

int RunBookmarksCommand(const ToolContext& context, const Arguments& arguments) {
    BookmarksRequest request;
    if (!ParseBookmarks(arguments, &request))
        return UsageError(kUsage);
    const std::string file = BookmarksFilePath(context.dataFolder);
    BookmarkDatabase database;
    database.Load(file);

    if (request.action == "list")
        return List(database, request);
    if (request.action == "add")
        return Add(&database, request, file);
    if (request.action == "remove")
        return Remove(&database, request, file);
    if (request.action == "rename") {
        if (!database.RenameFile(FullPath(request.file), FullPath(request.newFile)))
            return Fail("there are no bookmarks for " + request.file + ".");
        return Save(database, file);
    }
    size_t removed = database.CleanUp();
    std::printf("%zu record%s of missing files removed\n", removed, removed == 1 ? "" : "s");
    return removed ? Save(database, file) : kExitOk;
}

} // namespace tonilo::tool
