#pragma once
// The registry: keys under three roots holding typed values, kept in one SQLite
// database per user so that several Tonilo processes can read and write at once.
// Key and value names compare without regard to (ASCII) case; key paths use
// backslashes and are stored without leading or trailing ones.
// Every operation is safe to call from any thread.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/PrivateFiles.h"

struct sqlite3;

namespace tonilo {

enum RegistryRoot : uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000u,
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
};

constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

struct RegistryValue {
    std::string name;
    uint32_t type = 0;
    std::string data; // raw bytes as stored (REG_SZ: UTF-16LE with terminator)
};

class RegistryStore {
public:
    // Opens (or creates) the database; a damaged file is moved aside to
    // PATH.corrupt and a fresh one started, with a message on standard error.
    // The database holds caller names and the command lines the program is
    // started with, so it is kept like a private key: its folder is created
    // 0700, its files 0600 (wider modes are narrowed, once, with a message), and
    // a database that another user owns or may write, or that lies in such a
    // folder below the home folder, is not opened at all (see Refusal).
    explicit RegistryStore(const std::string& path);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // The process-wide store at DefaultPath(), opened on first use.
    static RegistryStore& Instance();
    // Points the process-wide store at another file (tests, --registry options).
    static void UseDatabase(const std::string& path);
    // $TONILO_REGISTRY, else $XDG_CONFIG_HOME/tonilo/registry.db (~/.config when unset).
    static std::string DefaultPath();
    static std::string NormalizePath(const std::string& path);

    // The files a database consists of, the database first.
    static std::vector<std::string> DatabaseFiles(const std::string& path);
    // Whether the database at path (and the folders leading to it below the
    // home folder) may be used; checks only, opens nothing.
    static PathTrust CheckTrust(const std::string& path);
    // The string-table message that explains a refusal and its fix.
    static std::string RefusalMessage(const PathTrust& refusal);

    bool IsOpen() const { return database_ != nullptr; }
    // Why the database was not opened; Trusted() when it was not refused.
    const PathTrust& Refusal() const { return refusal_; }
    const std::string& Path() const { return path_; }

    bool KeyExists(RegistryRoot root, const std::string& path);
    // Creates the key and every missing parent.
    bool CreateKey(RegistryRoot root, const std::string& path);
    // Deletes the key with all its sub-keys and values.
    bool DeleteKey(RegistryRoot root, const std::string& path);
    std::vector<std::string> SubKeys(RegistryRoot root, const std::string& path);

    bool GetValue(RegistryRoot root, const std::string& path, const std::string& name,
                  RegistryValue* out);
    // The key must exist.
    bool SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                  uint32_t type, const std::string& data);
    bool DeleteValue(RegistryRoot root, const std::string& path, const std::string& name);
    // Creates the key when missing and writes all the values in one transaction:
    // another process, or this one after a crash, sees all of them or none.
    bool SetValues(RegistryRoot root, const std::string& path,
                   const std::vector<RegistryValue>& values);
    std::vector<RegistryValue> Values(RegistryRoot root, const std::string& path);

    // Forces what was written out of the write-ahead log into the database file.
    bool Flush();

private:
    bool OpenDatabase();
    // Narrows wider modes of existing files to 0600; says so once.
    void NarrowModes();
    bool PrepareSchema();
    void Close();
    int64_t FindKeyId(RegistryRoot root, const std::string& normalizedPath);
    // The key id values of the path hang on, -1 when the key does not exist.
    int64_t ValueOwnerId(RegistryRoot root, const std::string& normalizedPath);
    bool UpsertValue(int64_t keyId, const RegistryValue& value);
    int64_t CreateKeyLocked(RegistryRoot root, const std::string& normalizedPath);
    bool Execute(const char* sql);

    std::string path_;
    PathTrust refusal_;
    bool narrowingReported_ = false;
    sqlite3* database_ = nullptr;
    std::recursive_mutex mutex_;
};

} // namespace tonilo
