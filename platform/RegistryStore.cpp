#include "platform/RegistryStore.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/LanguageResources.h"
#include "platform/ProgramPaths.h"
#include "platform/RegistryNotifications.h"

namespace tonilo {
namespace {

constexpr int kBusyTimeoutMs = 15000;

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* database, const char* sql) {
        if (sqlite3_prepare_v2(database, sql, -1, &statement_, nullptr) != SQLITE_OK)
            statement_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Valid() const { return statement_ != nullptr; }
    Statement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const std::string& bytes) {
        sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }
    int64_t Integer(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) {
        const auto* text = sqlite3_column_text(statement_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  sqlite3_column_bytes(statement_, column))
                    : std::string();
    }
    std::string Blob(int column) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return bytes ? std::string(bytes, sqlite3_column_bytes(statement_, column)) : std::string();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

// Keeps a write transaction open for its scope; rolls back unless committed.
// BEGIN IMMEDIATE takes the write lock up front, so two processes never deadlock
// upgrading read locks.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* database) : database_(database) {
        began_ = sqlite3_exec(database_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteTransaction() {
        if (began_ && !committed_)
            sqlite3_exec(database_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool Began() const { return began_; }
    bool Commit() {
        committed_ = sqlite3_exec(database_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        return committed_;
    }

private:
    sqlite3* database_;
    bool began_ = false;
    bool committed_ = false;
};

std::string ParentOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LeafOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::unique_ptr<RegistryStore>& InstanceSlot() {
    static std::unique_ptr<RegistryStore> instance;
    return instance;
}

std::mutex& InstanceMutex() {
    static std::mutex mutex;
    return mutex;
}

// String-table texts about the database's safety.
constexpr uint32_t kStringStoreWritableByOthers = 13200;
constexpr uint32_t kStringStoreOtherOwner = 13201;
constexpr uint32_t kStringFolderWritableByOthers = 13202;
constexpr uint32_t kStringFolderOtherOwner = 13203;
constexpr uint32_t kStringStoreNarrowed = 13204;

} // namespace

std::vector<std::string> RegistryStore::DatabaseFiles(const std::string& path) {
    return {path, path + "-wal", path + "-shm"};
}

PathTrust RegistryStore::CheckTrust(const std::string& path) {
    return CheckTrustedPath(DatabaseFiles(path), HomeFolderPath());
}

std::string RegistryStore::RefusalMessage(const PathTrust& refusal) {
    switch (refusal.problem) {
    case TrustProblem::None:
        return std::string();
    case TrustProblem::WritableByOthers:
        return FillInResourceString(refusal.folder ? kStringFolderWritableByOthers
                                                   : kStringStoreWritableByOthers,
                                    {refusal.path, refusal.path});
    case TrustProblem::OtherOwner:
        return FillInResourceString(refusal.folder ? kStringFolderOtherOwner
                                                   : kStringStoreOtherOwner,
                                    {refusal.path, UserName(), refusal.path});
    }
    return std::string();
}

RegistryStore::RegistryStore(const std::string& path) : path_(path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    // Nothing of an untrusted database is read: its settings include command
    // lines the program is started with.
    std::filesystem::path parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty())
        CreateFolders(parent.string(), kPrivateFolderMode);
    refusal_ = CheckTrust(path_);
    if (!refusal_.Trusted()) {
        std::fprintf(stderr, "Tonilo: %s\n", RefusalMessage(refusal_).c_str());
        return;
    }
    NarrowModes();
    if (OpenDatabase() && PrepareSchema()) {
        NarrowModes(); // the log files SQLite just made
        return;
    }
    // Anything but a busy database means the file is not usable as it is.
    Close();
    std::error_code ignored;
    if (std::filesystem::exists(path_, ignored)) {
        std::string aside = path_ + ".corrupt";
        std::filesystem::rename(path_, aside, ignored);
        ::chmod(aside.c_str(), kPrivateFileMode);
        std::filesystem::remove(path_ + "-wal", ignored);
        std::filesystem::remove(path_ + "-shm", ignored);
        std::fprintf(stderr,
                     "Tonilo: the settings database %s was damaged. It was moved to %s and "
                     "Tonilo starts again with default settings.\n",
                     path_.c_str(), aside.c_str());
    }
    if (!OpenDatabase() || !PrepareSchema()) {
        std::fprintf(stderr, "Tonilo: cannot open the settings database %s: %s\n", path_.c_str(),
                     database_ ? sqlite3_errmsg(database_) : "out of memory");
        Close();
        return;
    }
    NarrowModes();
}

RegistryStore::~RegistryStore() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Close();
}

RegistryStore& RegistryStore::Instance() {
    std::lock_guard<std::mutex> guard(InstanceMutex());
    auto& instance = InstanceSlot();
    if (!instance)
        instance = std::make_unique<RegistryStore>(DefaultPath());
    return *instance;
}

void RegistryStore::UseDatabase(const std::string& path) {
    std::lock_guard<std::mutex> guard(InstanceMutex());
    InstanceSlot() = std::make_unique<RegistryStore>(path);
}

std::string RegistryStore::DefaultPath() {
    if (const char* explicitPath = std::getenv("TONILO_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    return ConfigHomeFolder() + "/tonilo/registry.db";
}

std::string RegistryStore::NormalizePath(const std::string& path) {
    size_t first = path.find_first_not_of('\\');
    if (first == std::string::npos)
        return std::string();
    size_t last = path.find_last_not_of('\\');
    std::string trimmed = path.substr(first, last - first + 1);
    // Collapse doubled separators so "A\\B" and "A\B" name one key.
    std::string result;
    for (char c : trimmed) {
        if (c == '\\' && !result.empty() && result.back() == '\\')
            continue;
        result.push_back(c);
    }
    return result;
}

void RegistryStore::NarrowModes() {
    bool narrowed = false;
    for (const std::string& file : DatabaseFiles(path_)) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && (info.st_mode & 077) != 0 &&
            ::chmod(file.c_str(), (info.st_mode & 0700) | kPrivateFileMode) == 0)
            narrowed = true;
    }
    if (narrowed && !narrowingReported_) {
        narrowingReported_ = true;
        std::fprintf(stderr, "Tonilo: %s\n",
                     FillInResourceString(kStringStoreNarrowed, {path_}).c_str());
    }
}

bool RegistryStore::OpenDatabase() {
    // Made 0600 before SQLite sees it: SQLite gives its log files the
    // database's mode.
    if (!CreateFileWithMode(path_, kPrivateFileMode))
        return false;
    if (sqlite3_open_v2(path_.c_str(), &database_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(database_, kBusyTimeoutMs);
    return true;
}

bool RegistryStore::PrepareSchema() {
    // quick_check reads every page, so a damaged file is found now rather than
    // half-way through someone's settings.
    {
        Statement check(database_, "PRAGMA quick_check");
        if (check.Step() != SQLITE_ROW || check.Text(0) != "ok")
            return false;
    }
    return Execute("PRAGMA journal_mode=WAL") && Execute("PRAGMA synchronous=FULL") &&
           Execute("CREATE TABLE IF NOT EXISTS registry_keys ("
                   " id INTEGER PRIMARY KEY,"
                   " root INTEGER NOT NULL,"
                   " path TEXT NOT NULL COLLATE NOCASE,"
                   " parent TEXT NOT NULL COLLATE NOCASE,"
                   " name TEXT NOT NULL COLLATE NOCASE,"
                   " UNIQUE(root, path))") &&
           Execute("CREATE INDEX IF NOT EXISTS registry_keys_parent"
                   " ON registry_keys(root, parent)") &&
           Execute("CREATE TABLE IF NOT EXISTS registry_values ("
                   " key_id INTEGER NOT NULL,"
                   " name TEXT NOT NULL COLLATE NOCASE,"
                   " type INTEGER NOT NULL,"
                   " data BLOB NOT NULL,"
                   " PRIMARY KEY(key_id, name))");
}

void RegistryStore::Close() {
    if (database_)
        sqlite3_close_v2(database_);
    database_ = nullptr;
}

bool RegistryStore::Execute(const char* sql) {
    // Schema statements may meet another process's lock on a fresh database.
    for (int attempt = 0; attempt < 50; ++attempt) {
        int result = sqlite3_exec(database_, sql, nullptr, nullptr, nullptr);
        if (result == SQLITE_OK)
            return true;
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            return false;
        sqlite3_sleep(100);
    }
    return false;
}

int64_t RegistryStore::FindKeyId(RegistryRoot root, const std::string& normalizedPath) {
    Statement find(database_, "SELECT id FROM registry_keys WHERE root = ?1 AND path = ?2");
    find.Bind(1, static_cast<int64_t>(root)).Bind(2, normalizedPath);
    return find.Step() == SQLITE_ROW ? find.Integer(0) : -1;
}

int64_t RegistryStore::ValueOwnerId(RegistryRoot root, const std::string& normalizedPath) {
    // Values directly under a root hang on a pseudo key numbered after the root.
    return normalizedPath.empty() ? -static_cast<int64_t>(root) : FindKeyId(root, normalizedPath);
}

bool RegistryStore::UpsertValue(int64_t keyId, const RegistryValue& value) {
    // Keep the name's spelling from the first write, as the platform does.
    Statement set(database_,
                  "INSERT INTO registry_values(key_id, name, type, data) VALUES(?1,?2,?3,?4)"
                  " ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type,"
                  " data = excluded.data");
    set.Bind(1, keyId)
        .Bind(2, value.name)
        .Bind(3, static_cast<int64_t>(value.type))
        .BindBlob(4, value.data);
    return set.Run();
}

int64_t RegistryStore::CreateKeyLocked(RegistryRoot root, const std::string& normalizedPath) {
    int64_t id = FindKeyId(root, normalizedPath);
    if (id >= 0 || normalizedPath.empty())
        return id >= 0 ? id : 0;
    std::string parent = ParentOf(normalizedPath);
    if (!parent.empty() && CreateKeyLocked(root, parent) < 0)
        return -1;
    Statement insert(database_,
                     "INSERT INTO registry_keys(root, path, parent, name) VALUES(?1,?2,?3,?4)");
    insert.Bind(1, static_cast<int64_t>(root))
        .Bind(2, normalizedPath)
        .Bind(3, parent)
        .Bind(4, LeafOf(normalizedPath));
    if (!insert.Run())
        return -1;
    return sqlite3_last_insert_rowid(database_);
}

bool RegistryStore::KeyExists(RegistryRoot root, const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    std::string normalized = NormalizePath(path);
    return normalized.empty() || FindKeyId(root, normalized) >= 0;
}

bool RegistryStore::CreateKey(RegistryRoot root, const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    std::string normalized = NormalizePath(path);
    if (normalized.empty() || FindKeyId(root, normalized) >= 0)
        return true;
    WriteTransaction transaction(database_);
    return transaction.Began() && CreateKeyLocked(root, normalized) >= 0 && transaction.Commit();
}

bool RegistryStore::DeleteKey(RegistryRoot root, const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::string normalized = NormalizePath(path);
    if (!database_ || normalized.empty())
        return false;
    WriteTransaction transaction(database_);
    if (!transaction.Began() || FindKeyId(root, normalized) < 0)
        return false;
    const char* subtree = "root = ?1 AND (path = ?2 OR substr(path, 1, length(?2) + 1) = "
                          "?2 || '\\' COLLATE NOCASE)";
    Statement values(database_, (std::string("DELETE FROM registry_values WHERE key_id IN "
                                             "(SELECT id FROM registry_keys WHERE ") +
                                 subtree + ")")
                                    .c_str());
    values.Bind(1, static_cast<int64_t>(root)).Bind(2, normalized);
    Statement keys(database_, (std::string("DELETE FROM registry_keys WHERE ") + subtree).c_str());
    keys.Bind(1, static_cast<int64_t>(root)).Bind(2, normalized);
    return values.Run() && keys.Run() && transaction.Commit();
}

std::vector<std::string> RegistryStore::SubKeys(RegistryRoot root, const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::vector<std::string> names;
    if (!database_)
        return names;
    Statement list(database_, "SELECT name FROM registry_keys WHERE root = ?1 AND parent = ?2 "
                              "ORDER BY name COLLATE NOCASE, id");
    list.Bind(1, static_cast<int64_t>(root)).Bind(2, NormalizePath(path));
    while (list.Step() == SQLITE_ROW)
        names.push_back(list.Text(0));
    return names;
}

bool RegistryStore::GetValue(RegistryRoot root, const std::string& path, const std::string& name,
                             RegistryValue* out) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    int64_t keyId = ValueOwnerId(root, NormalizePath(path));
    if (keyId == -1)
        return false;
    Statement get(database_,
                  "SELECT name, type, data FROM registry_values WHERE key_id = ?1 AND name = ?2");
    get.Bind(1, keyId).Bind(2, name);
    if (get.Step() != SQLITE_ROW)
        return false;
    if (out)
        *out = RegistryValue{get.Text(0), static_cast<uint32_t>(get.Integer(1)), get.Blob(2)};
    return true;
}

bool RegistryStore::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                             uint32_t type, const std::string& data) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    std::string normalized = NormalizePath(path);
    int64_t keyId = ValueOwnerId(root, normalized);
    if (keyId == -1)
        return false;
    RegistryValue before;
    bool existed = GetValue(root, normalized, name, &before);
    RegistryValue after{name, type, data};
    if (!UpsertValue(keyId, after))
        return false;
    RegistryValueChanged(*this, root, normalized, name, existed ? &before : nullptr, &after);
    return true;
}

bool RegistryStore::DeleteValue(RegistryRoot root, const std::string& path,
                                const std::string& name) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    std::string normalized = NormalizePath(path);
    int64_t keyId = ValueOwnerId(root, normalized);
    if (keyId == -1)
        return false;
    RegistryValue before;
    bool existed = GetValue(root, normalized, name, &before);
    Statement erase(database_, "DELETE FROM registry_values WHERE key_id = ?1 AND name = ?2");
    erase.Bind(1, keyId).Bind(2, name);
    if (!erase.Run() || sqlite3_changes(database_) == 0)
        return false;
    if (existed)
        RegistryValueChanged(*this, root, normalized, name, &before, nullptr);
    return true;
}

bool RegistryStore::SetValues(RegistryRoot root, const std::string& path,
                              const std::vector<RegistryValue>& values) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    std::string normalized = NormalizePath(path);
    WriteTransaction transaction(database_);
    if (!transaction.Began())
        return false;
    int64_t keyId =
        normalized.empty() ? -static_cast<int64_t>(root) : CreateKeyLocked(root, normalized);
    if (keyId == -1)
        return false;
    std::vector<RegistryValue> before(values.size());
    std::vector<bool> existed(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        existed[i] = GetValue(root, normalized, values[i].name, &before[i]);
        if (!UpsertValue(keyId, values[i]))
            return false;
    }
    if (!transaction.Commit())
        return false;
    for (size_t i = 0; i < values.size(); ++i)
        RegistryValueChanged(*this, root, normalized, values[i].name,
                             existed[i] ? &before[i] : nullptr, &values[i]);
    return true;
}

std::vector<RegistryValue> RegistryStore::Values(RegistryRoot root, const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::vector<RegistryValue> values;
    if (!database_)
        return values;
    int64_t keyId = ValueOwnerId(root, NormalizePath(path));
    if (keyId == -1)
        return values;
    Statement list(database_, "SELECT name, type, data FROM registry_values WHERE key_id = ?1 "
                              "ORDER BY rowid");
    list.Bind(1, keyId);
    while (list.Step() == SQLITE_ROW)
        values.push_back(
            RegistryValue{list.Text(0), static_cast<uint32_t>(list.Integer(1)), list.Blob(2)});
    return values;
}

bool RegistryStore::Flush() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!database_)
        return false;
    // A busy checkpoint still leaves every commit durable in the log.
    sqlite3_wal_checkpoint_v2(database_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return true;
}

} // namespace tonilo
