#pragma once
// A settings table loaded from a real registry file in a scratch folder, the
// format registry with the real codecs, and a snapshot of the registry to
// tell whether anything was written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "formats/FormatRegistry.h"
#include "platform/ErrorLog.h"
#include "platform/RegistryStore.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "ui/FormatDialogModel.h"

namespace tonilo::test {

inline const char* const kSettingsKey = "\\Software\\Zelto\\Tonilo";

class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        ASSERT_TRUE(RegistryStore::Instance().CreateKey(HKEY_LOCAL_MACHINE, kSettingsKey));
        registry_ = CreateLinkedFormatRegistry();
        documents_ = folder_.Folder("Documents");
        GetErrorLog().Clear();
    }
    void TearDown() override { registry_->Release(); }

    void WriteNumber(const char* name, uint32_t value) {
        std::string data(reinterpret_cast<const char*>(&value), 4);
        ASSERT_TRUE(RegistryStore::Instance().SetValue(HKEY_LOCAL_MACHINE, kSettingsKey, name,
                                                       REG_DWORD, data));
    }
    void WriteBinary(const char* name, const std::string& bytes) {
        ASSERT_TRUE(RegistryStore::Instance().SetValue(HKEY_LOCAL_MACHINE, kSettingsKey, name,
                                                       REG_BINARY, bytes));
    }
    // The table as the program would load it now.
    void Load() {
        settings_ = SettingsStore();
        ASSERT_TRUE(settings_.Load(kSettingsKey));
    }
    // Every value of the settings key with its type and bytes, and the
    // database files themselves.
    std::vector<std::string> RegistrySnapshot() {
        std::vector<std::string> snapshot;
        RegistryValue value;
        for (size_t i = 0; i < SettingsStore::kEntryCount; ++i) {
            const char* name = SettingsStore::DefinitionAt(i).name;
            if (RegistryStore::Instance().GetValue(HKEY_LOCAL_MACHINE, kSettingsKey, name, &value))
                snapshot.push_back(std::string(name) + "=" + std::to_string(value.type) + ":" +
                                   value.data);
            else
                snapshot.push_back(std::string(name) + " missing");
        }
        for (const std::string& file : RegistryStore::DatabaseFiles(folder_ / "registry.db"))
            if (file.size() < 4 || file.compare(file.size() - 4, 4, "-shm") != 0)
                snapshot.push_back(ReadWholeFile(file));
        return snapshot;
    }
    // The offered format's index in the dialog's list; -1 when not offered.
    static int32_t FormatIndex(const FormatDialogModel& dialog, uint32_t rate, uint16_t bits,
                               uint16_t channels) {
        for (size_t i = 0; i < dialog.Formats().size(); ++i) {
            const OfferedFormat& format = dialog.Formats()[i];
            if (format.rate == rate && format.bits == bits && format.channels == channels)
                return static_cast<int32_t>(i);
        }
        return -1;
    }
    // The table in memory, value by value.
    std::vector<std::string> TableSnapshot() const {
        std::vector<std::string> values;
        for (size_t i = 0; i < SettingsStore::kEntryCount; ++i)
            values.push_back(settings_.FormatValue(i));
        return values;
    }

    ScratchFolder folder_;
    std::string documents_;
    FormatRegistry* registry_ = nullptr;
    SettingsStore settings_;
};

} // namespace tonilo::test
