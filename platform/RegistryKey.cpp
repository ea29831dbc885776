#include "platform/RegistryKey.h"

#include "codecs/include/ByteOrder.h"
#include "platform/TextEncoding.h"

namespace tonilo {

RegistryKey::RegistryKey(const char* basePath, RegistryRoot root) : root_(root) {
    SetBasePath(basePath);
}

RegistryKey::~RegistryKey() {
    Close();
}

void RegistryKey::SetBasePath(const char* basePath) {
    basePath_ = basePath ? basePath : "";
    while (!basePath_.empty() && basePath_.back() == '\\')
        basePath_.pop_back();
}

bool RegistryKey::Open(const char* subPath, bool create) {
    Close();
    std::string path = basePath_;
    if (subPath && *subPath)
        path += "\\" + std::string(subPath);
    RegistryStore& store = RegistryStore::Instance();
    bool ok = create ? store.CreateKey(root_, path) : store.KeyExists(root_, path);
    if (!ok)
        return false;
    open_ = true;
    openPath_ = path;
    return true;
}

bool RegistryKey::Close() {
    open_ = false;
    openPath_.clear();
    return true;
}

bool RegistryKey::Flush() {
    return open_ && RegistryStore::Instance().Flush();
}

bool RegistryKey::EnumerateSubKey(uint32_t index, std::string* name) {
    if (!open_)
        return false;
    std::vector<std::string> names = RegistryStore::Instance().SubKeys(root_, openPath_);
    if (index >= names.size())
        return false;
    if (name)
        *name = names[index];
    return true;
}

bool RegistryKey::EnumerateValue(uint32_t index, std::string* name, uint32_t* type) {
    if (!open_)
        return false;
    std::vector<RegistryValue> values = RegistryStore::Instance().Values(root_, openPath_);
    if (index >= values.size())
        return false;
    if (name)
        *name = values[index].name;
    if (type)
        *type = values[index].type;
    return true;
}

bool RegistryKey::DeleteSubKey(const char* name) {
    if (!name || !*name || !RegistryStore::Instance().KeyExists(root_, basePath_))
        return false;
    return RegistryStore::Instance().DeleteKey(root_, basePath_ + "\\" + name);
}

bool RegistryKey::Lookup(const char* valueName, RegistryValue* value) {
    if (!open_)
        return false;
    if (!RegistryStore::Instance().GetValue(root_, openPath_, valueName ? valueName : "", value))
        return false;
    lastType_ = value->type;
    return true;
}

bool RegistryKey::ReadString(const char* valueName, std::string* out, size_t capacity) {
    RegistryValue value;
    if (!Lookup(valueName, &value))
        return false;
    if (!out)
        return true;
    std::u16string text =
        ReadUtf16Le(reinterpret_cast<const uint8_t*>(value.data.data()), value.data.size());
    if (capacity == 0)
        text.clear();
    else if (text.size() > capacity - 1)
        text.resize(capacity - 1);
    *out = Utf16ToUtf8(text);
    return true;
}

bool RegistryKey::WriteString(const char* valueName, const char* text) {
    if (!open_ || !text)
        return false;
    std::string data;
    AppendUtf16Le(&data, Utf8ToUtf16(text), true);
    return RegistryStore::Instance().SetValue(root_, openPath_, valueName ? valueName : "", REG_SZ,
                                              data);
}

bool RegistryKey::ReadNumber(const char* valueName, uint32_t* value) {
    RegistryValue stored;
    if (!Lookup(valueName, &stored) || stored.data.size() != 4)
        return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(stored.data.data());
    *value = ReadLe32(bytes);
    return true;
}

bool RegistryKey::WriteNumber(const char* valueName, uint32_t value) {
    if (!open_)
        return false;
    std::string data;
    AppendLe32(&data, value);
    return RegistryStore::Instance().SetValue(root_, openPath_, valueName ? valueName : "",
                                              REG_DWORD, data);
}

bool RegistryKey::ReadRaw(const char* valueName, std::string* out, uint32_t* size) {
    RegistryValue stored;
    if (!Lookup(valueName, &stored))
        return false;
    if (size && stored.data.size() > *size)
        return false; // the caller's buffer is too small, as the platform reports it
    if (size)
        *size = static_cast<uint32_t>(stored.data.size());
    if (out)
        *out = stored.data;
    return true;
}

bool RegistryKey::WriteBinary(const char* valueName, const void* data, uint32_t size) {
    if (!open_ || (!data && size))
        return false;
    return RegistryStore::Instance().SetValue(root_, openPath_, valueName ? valueName : "",
                                              REG_BINARY,
                                              std::string(static_cast<const char*>(data), size));
}

bool RegistryKey::DeleteValue(const char* valueName) {
    return open_ &&
           RegistryStore::Instance().DeleteValue(root_, openPath_, valueName ? valueName : "");
}

bool ReadStringAt(RegistryRoot root, const char* path, const char* valueName, std::string* out,
                  size_t capacity) {
    RegistryKey key(path, root);
    return key.Open() && key.ReadString(valueName, out, capacity);
}

bool WriteStringAt(RegistryRoot root, const char* path, const char* valueName, const char* text) {
    RegistryKey key(path, root);
    return key.Open(nullptr, true) && key.WriteString(valueName, text);
}

bool DeleteValueAt(RegistryRoot root, const char* path, const char* valueName) {
    RegistryKey key(path, root);
    return key.Open(nullptr, true) && key.DeleteValue(valueName);
}

} // namespace tonilo
