// tonilo-tool reg: read and write the registry as the program sees it.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "codecs/include/ByteOrder.h"
#include "platform/RegistryKey.h"
#include "platform/TextEncoding.h"
#include "tools/ToolCommand.h"
#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {
namespace {

const char* kUsage = "reg get KEY [VALUE]\n"
                     "       tonilo-tool reg set KEY VALUE (--sz TEXT | --dword N | --binary HEX)\n"
                     "       tonilo-tool reg list KEY\n"
                     "       tonilo-tool reg delete KEY [VALUE]\n"
                     "KEY starts with HKLM\\, HKCU\\ or HKCR\\, e.g. HKLM\\Software\\Zelto\\Tonilo";

struct KeyName {
    RegistryRoot root;
    std::string path;
};

bool ParseKey(const std::string& text, KeyName* key) {
    static const struct {
        const char* prefix;
        RegistryRoot root;
    } kRoots[] = {{"HKLM", HKEY_LOCAL_MACHINE},
                  {"HKCU", HKEY_CURRENT_USER},
                  {"HKCR", HKEY_CLASSES_ROOT},
                  {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                  {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}};
    for (const auto& candidate : kRoots) {
        size_t length = std::strlen(candidate.prefix);
        if (text.size() >= length && strncasecmp(text.c_str(), candidate.prefix, length) == 0 &&
            (text.size() == length || text[length] == '\\')) {
            key->root = candidate.root;
            key->path = RegistryStore::NormalizePath(text.substr(length));
            return true;
        }
    }
    return false;
}

bool ParseHex(const std::string& text, std::string* bytes) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == ':')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        digits.push_back(c);
    }
    if (digits.size() % 2)
        return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        uint8_t byte = 0; // two hex digits, checked above
        ParseWholeNumber(digits.substr(i, 2), {0, 255, 16, NumberSign::None}, &byte);
        bytes->push_back(static_cast<char>(byte));
    }
    return true;
}

std::string Hex(const std::string& bytes) {
    static const char* kDigits = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

const char* TypeName(uint32_t type) {
    switch (type) {
    case REG_SZ:
        return "REG_SZ";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_BINARY:
        return "REG_BINARY";
    default:
        return "REG_UNKNOWN";
    }
}

std::string DataText(const RegistryValue& value) {
    if (value.type == REG_SZ)
        return Utf16ToUtf8(
            ReadUtf16Le(reinterpret_cast<const uint8_t*>(value.data.data()), value.data.size()));
    if (value.type == REG_DWORD && value.data.size() == 4)
        return std::to_string(ReadLe32(reinterpret_cast<const uint8_t*>(value.data.data())));
    return Hex(value.data);
}

int Get(const KeyName& key, const std::string& valueName) {
    RegistryValue value;
    if (!RegistryStore::Instance().KeyExists(key.root, key.path)) {
        std::fprintf(stderr, "tonilo-tool: no such key: %s\n", key.path.c_str());
        return kExitFailure;
    }
    if (!RegistryStore::Instance().GetValue(key.root, key.path, valueName, &value)) {
        std::fprintf(stderr, "tonilo-tool: no value '%s' in %s\n", valueName.c_str(),
                     key.path.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", DataText(value).c_str());
    return kExitOk;
}

int Set(const KeyName& key, const Arguments& arguments) {
    if (arguments.size() != 5)
        return UsageError(kUsage);
    const std::string& valueName = arguments[2];
    const std::string& kind = arguments[3];
    const std::string& data = arguments[4];
    RegistryKey target(key.path, key.root);
    bool written = false;
    if (kind == "--sz") {
        written = target.Open(nullptr, true) && target.WriteString(valueName.c_str(), data);
    } else if (kind == "--dword") {
        uint32_t number = 0;
        if (!ParseWholeNumber(data, {0, kMaxUnsigned32, 0, NumberSign::NoMinus}, &number)) {
            std::fprintf(stderr, "tonilo-tool: '%s' is not a number from 0 to 4294967295\n",
                         data.c_str());
            return UsageError(kUsage);
        }
        written = target.Open(nullptr, true) && target.WriteNumber(valueName.c_str(), number);
    } else if (kind == "--binary") {
        std::string bytes;
        if (!ParseHex(data, &bytes)) {
            std::fprintf(stderr, "tonilo-tool: '%s' is not a run of hexadecimal byte pairs\n",
                         data.c_str());
            return UsageError(kUsage);
        }
        written =
            target.Open(nullptr, true) && target.WriteBinary(valueName.c_str(), bytes.data(),
                                                             static_cast<uint32_t>(bytes.size()));
    } else {
        return UsageError(kUsage);
    }
    if (!written) {
        std::fprintf(stderr, "tonilo-tool: cannot write %s in %s\n", valueName.c_str(),
                     key.path.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

int List(const KeyName& key) {
    RegistryStore& store = RegistryStore::Instance();
    if (!store.KeyExists(key.root, key.path)) {
        std::fprintf(stderr, "tonilo-tool: no such key: %s\n", key.path.c_str());
        return kExitFailure;
    }
    for (const std::string& subKey : store.SubKeys(key.root, key.path))
        std::printf("%s\\\n", subKey.c_str());
    for (const RegistryValue& value : store.Values(key.root, key.path))
        std::printf("%s %s %s\n", value.name.empty() ? "(default)" : value.name.c_str(),
                    TypeName(value.type), DataText(value).c_str());
    return kExitOk;
}

int Delete(const KeyName& key, const Arguments& arguments) {
    RegistryStore& store = RegistryStore::Instance();
    bool deleted = arguments.size() == 3 ? store.DeleteValue(key.root, key.path, arguments[2])
                                         : !key.path.empty() && store.DeleteKey(key.root, key.path);
    if (!deleted) {
        std::fprintf(stderr, "tonilo-tool: nothing to delete at %s%s%s\n", key.path.c_str(),
                     arguments.size() == 3 ? " value " : "",
                     arguments.size() == 3 ? arguments[2].c_str() : "");
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

int RunRegCommand(const ToolContext&, const Arguments& arguments) {
    if (arguments.size() < 2)
        return UsageError(kUsage);
    KeyName key;
    if (!ParseKey(arguments[1], &key)) {
        std::fprintf(stderr, "tonilo-tool: '%s' does not start with HKLM\\, HKCU\\ or HKCR\\\n",
                     arguments[1].c_str());
        return UsageError(kUsage);
    }
    const std::string& action = arguments[0];
    if (!RegistryStore::Instance().IsOpen()) {
        std::fprintf(stderr, "tonilo-tool: the registry database cannot be opened\n");
        return kExitFailure;
    }
    if (action == "get" && arguments.size() <= 3)
        return Get(key, arguments.size() == 3 ? arguments[2] : std::string());
    if (action == "set")
        return Set(key, arguments);
    if (action == "list" && arguments.size() == 2)
        return List(key);
    if (action == "delete" && arguments.size() <= 3)
        return Delete(key, arguments);
    return UsageError(kUsage);
}

} // namespace tonilo::tool
