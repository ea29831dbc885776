#pragma once
// Registry access for every piece of configuration: remembers a root and a base
// path, opens the key below it on demand, and reads and writes typed values.
// Strings are UTF-8 here and stored as REG_SZ in UTF-16LE with their terminator,
// so capacities count UTF-16 code units as the stored format does.
#include <cstdint>
#include <string>

#include "platform/RegistryStore.h"

namespace tonilo {

constexpr size_t kMaxPath = 260;

class RegistryKey {
public:
    explicit RegistryKey(const char* basePath = nullptr, RegistryRoot root = HKEY_LOCAL_MACHINE);
    RegistryKey(const std::string& basePath, RegistryRoot root)
        : RegistryKey(basePath.c_str(), root) {}
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Trailing backslashes are dropped.
    void SetBasePath(const char* basePath);
    const std::string& BasePath() const { return basePath_; }
    RegistryRoot Root() const { return root_; }
    bool IsOpen() const { return open_; }
    // The path of the open key (base path plus sub-path).
    const std::string& OpenPath() const { return openPath_; }

    // Opens base path + "\" + subPath; creates it when asked, else a missing key fails.
    bool Open(const char* subPath = nullptr, bool create = false);
    bool Close();
    bool Flush();

    // Sub-keys of the open key, by index; false past the last one.
    bool EnumerateSubKey(uint32_t index, std::string* name);
    // Values of the open key, by index (name and type); false past the last one.
    bool EnumerateValue(uint32_t index, std::string* name, uint32_t* type = nullptr);
    // Deletes the named sub-key (and everything below it) of the base path.
    bool DeleteSubKey(const char* name);

    // Reads at most capacity - 1 code units; with no `out` only tests existence.
    bool ReadString(const char* valueName, std::string* out, size_t capacity = kMaxPath);
    bool WriteString(const char* valueName, const char* text);
    bool WriteString(const char* valueName, const std::string& text) {
        return WriteString(valueName, text.c_str());
    }
    // Succeeds only for a stored value of exactly 4 bytes; otherwise `value` keeps
    // what it held, which is how callers' defaults survive.
    bool ReadNumber(const char* valueName, uint32_t* value);
    bool WriteNumber(const char* valueName, uint32_t value);
    // Reads the raw bytes (at most *size when size is given) and records the type.
    bool ReadRaw(const char* valueName, std::string* out, uint32_t* size = nullptr);
    bool WriteBinary(const char* valueName, const void* data, uint32_t size);
    bool DeleteValue(const char* valueName);

    // Type of the value last read.
    uint32_t LastType() const { return lastType_; }

private:
    bool Lookup(const char* valueName, RegistryValue* value);

    std::string basePath_;
    RegistryRoot root_;
    bool open_ = false;
    std::string openPath_;
    uint32_t lastType_ = 0;
};

// One-shot helpers for single reads and writes.
bool ReadStringAt(RegistryRoot root, const char* path, const char* valueName, std::string* out,
                  size_t capacity = kMaxPath);
bool WriteStringAt(RegistryRoot root, const char* path, const char* valueName, const char* text);
bool DeleteValueAt(RegistryRoot root, const char* path, const char* valueName);

} // namespace tonilo
