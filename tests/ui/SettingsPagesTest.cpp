// The settings sheet's pages without a window: what each shows from the
// stored settings, which fields are enabled when, what is refused, and what
// OK and Cancel leave in the table and the registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/LanguageResources.h"
#include "platform/RegistryKey.h"
#include "tests/ui/SettingsTestFixture.h"
#include "ui/SettingsSheet.h"

namespace tonilo::test {
namespace {

std::string Text(uint32_t id) {
    return LoadResourceString(id);
}

class SettingsPagesTest : public SettingsFixture {
protected:
    SettingsSheet& Sheet(bool phone = true, uint32_t soundFlags = 2) {
        Load();
        SettingsSheetSetup setup;
        setup.registry = registry_;
        setup.keyPath = kSettingsKey;
        setup.documents = documents_;
        setup.phoneDevice = phone;
        setup.soundFlags = soundFlags;
        setup.freeSpace = [this](const std::string& folder, uint64_t* bytes) {
            spaceAskedFor_ = folder;
            if (freeBytes_ == 0)
                return false;
            *bytes = freeBytes_;
            return true;
        };
        sheet_ = std::make_unique<SettingsSheet>(settings_, setup);
        return *sheet_;
    }
    uint32_t Number(const char* name) {
        SettingsStore fresh;
        EXPECT_TRUE(fresh.Load(kSettingsKey));
        uint32_t value = 0xdeadbeef;
        EXPECT_TRUE(fresh.GetNumber(name, &value));
        return value;
    }
    std::string String(const char* name) {
        SettingsStore fresh;
        EXPECT_TRUE(fresh.Load(kSettingsKey));
        std::string value;
        EXPECT_TRUE(fresh.GetString(name, &value));
        return value;
    }

    std::unique_ptr<SettingsSheet> sheet_;
    uint64_t freeBytes_ = 0;
    std::string spaceAskedFor_;
};

TEST_F(SettingsPagesTest, ThePagesAndTheirTitlesInOrder) {
    std::vector<std::string> titles;
    for (SettingsPage* page : Sheet(true).Pages())
        titles.push_back(Text(page->TitleId()));
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Input", "Recording", "Files", "Phone", "Display"}));
    EXPECT_NE(sheet_->Phone(), nullptr);

    titles.clear();
    for (SettingsPage* page : Sheet(false).Pages())
        titles.push_back(Text(page->TitleId()));
    EXPECT_EQ(titles, (std::vector<std::string>{"Input", "Recording", "Files", "Display"}));
    EXPECT_EQ(sheet_->Phone(), nullptr);
}

// Every page edited, then Cancel: neither the table nor the registry changes.
TEST_F(SettingsPagesTest, CancelAfterEditingEveryPageWritesNothing) {
    WriteNumber("PhoneAutoRec", 1);
    Sheet(true, 2);
    const std::vector<std::string> table = TableSnapshot();
    const std::vector<std::string> registry = RegistrySnapshot();

    SettingsSheet& sheet = *sheet_;
    sheet.Input().SelectPreset(4);
    auto dialog = sheet.Input().OpenFormatDialog();
    dialog->SetAll(true);
    ASSERT_TRUE(dialog->SelectFormat(0));
    sheet.Input().FormatDialogDone(*dialog);
    ASSERT_TRUE(sheet.Recording().SetChecked(RecordingPage::BeepBegin, true));
    ASSERT_TRUE(sheet.Recording().SetChecked(RecordingPage::LiveMonitor, false));
    ASSERT_TRUE(sheet.Files().SetText(FilesPage::FileName, "Memo"));
    sheet.Files().BrowseDone("/elsewhere");
    ASSERT_TRUE(sheet.Files().SetChecked(FilesPage::DateDir, true));
    ASSERT_TRUE(sheet.Phone()->SetText(PhonePage::PhoneSub, "Other"));
    ASSERT_TRUE(sheet.Phone()->SetChecked(PhonePage::PhoneAutoRec, false));
    ASSERT_TRUE(sheet.Display().SetLockMode(2));
    sheet.Display().SetTurnOff(true);
    sheet.Cancel();
    sheet_.reset();

    EXPECT_EQ(TableSnapshot(), table);
    EXPECT_EQ(RegistrySnapshot(), registry);
}

// A refusal on any page stores nothing from any page.
TEST_F(SettingsPagesTest, ARefusedPageKeepsEveryPageFromBeingStored) {
    WriteNumber("PhoneAutoRec", 1);
    Sheet(true);
    const std::vector<std::string> table = TableSnapshot();
    const std::vector<std::string> registry = RegistrySnapshot();

    sheet_->Display().SetTurnOff(true);
    ASSERT_TRUE(sheet_->Files().SetText(FilesPage::RecDir, "/fine"));
    ASSERT_TRUE(sheet_->Phone()->SetText(PhonePage::PhoneFileName, "a|b"));
    EXPECT_EQ(sheet_->Ok(), SettingsOutcome::Refused);
    EXPECT_EQ(sheet_->RefusedPage(), sheet_->Phone());
    EXPECT_EQ(sheet_->RefusalMessage(), 13052u);
    EXPECT_EQ(sheet_->RefusedPage()->FocusField(), PhonePage::PhoneFileName);
    EXPECT_EQ(GetErrorLog().GetLastCode(), 13052);
    EXPECT_EQ(TableSnapshot(), table);
    EXPECT_EQ(RegistrySnapshot(), registry);

    // Corrected, the same sheet saves.
    ASSERT_TRUE(sheet_->Phone()->SetText(PhonePage::PhoneFileName, "%Y-%F"));
    EXPECT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(sheet_->RefusedPage(), nullptr);
    EXPECT_EQ(Number("TurnOffAfter"), 5u);
    EXPECT_EQ(String("RecDir"), "/fine");
    EXPECT_EQ(String("PhoneFileName"), "%Y-%F");
}

TEST_F(SettingsPagesTest, OkStoresEveryPageAndSavesTheTable) {
    WriteNumber("Volume", 1234); // not on any page: saved as it was
    Sheet(true, 2);
    SettingsSheet& sheet = *sheet_;
    ASSERT_TRUE(sheet.Input().SelectPreset(3));
    ASSERT_TRUE(sheet.Recording().SetChecked(RecordingPage::BeepEnd, true));
    ASSERT_TRUE(sheet.Recording().SetChecked(RecordingPage::FlashLed, true));
    ASSERT_TRUE(sheet.Recording().SetChecked(RecordingPage::LiveMonitor, false));
    ASSERT_TRUE(sheet.Files().SetText(FilesPage::RecDir, "\\Storage Card\\Rec"));
    ASSERT_TRUE(sheet.Files().SetText(FilesPage::FileName, "Memo %h%m"));
    ASSERT_TRUE(sheet.Files().SetChecked(FilesPage::GotoLast, false));
    ASSERT_TRUE(sheet.Files().SetChecked(FilesPage::DateDir, true));
    ASSERT_TRUE(sheet.Files().SetText(FilesPage::DateDirFormat, "%Y.%M"));
    ASSERT_TRUE(sheet.Phone()->SetChecked(PhonePage::PhoneAutoRec, true));
    ASSERT_TRUE(sheet.Phone()->SetChecked(PhonePage::PhonePutInSub, false));
    ASSERT_TRUE(sheet.Phone()->SetText(PhonePage::PhoneSub, "Anrufe"));
    ASSERT_TRUE(sheet.Phone()->SetText(PhonePage::PhoneFileName, "%F %Y"));
    ASSERT_TRUE(sheet.Phone()->SetChecked(PhonePage::PhoneBackground, false));
    ASSERT_TRUE(sheet.Display().SetLockMode(1));
    sheet.Display().SetTurnOff(true);
    ASSERT_TRUE(sheet.Display().SelectSeconds(3));
    ASSERT_EQ(sheet.Ok(), SettingsOutcome::Saved);

    const std::pair<const char*, uint32_t> numbers[] = {
        {"RecID", 3},         {"BeepBegin", 0},       {"BeepEnd", 1}, {"FlashLED", 1},
        {"LiveMonitor", 0},   {"GotoLast", 0},        {"DateDir", 1}, {"PhoneAutoRec", 1},
        {"PhonePutInSub", 0}, {"PhoneBackground", 0}, {"Lock", 1},    {"TurnOffAfter", 20},
        {"Volume", 1234},
    };
    for (const auto& [name, value] : numbers)
        EXPECT_EQ(Number(name), value) << name;
    const std::pair<const char*, const char*> strings[] = {
        {"RecDir", "\\Storage Card\\Rec"}, {"FileName", "Memo %h%m"},
        {"DateDirFormat", "%Y.%M"},        {"PhoneSub", "Anrufe"},
        {"PhoneFileName", "%F %Y"},
    };
    for (const auto& [name, value] : strings)
        EXPECT_EQ(String(name), value) << name;
}

TEST_F(SettingsPagesTest, ARegistryThatRefusesTheSaveIsReported) {
    Sheet(false);
    ASSERT_TRUE(sheet_->Display().SetLockMode(2));
    // The database's folder taken away: the transaction cannot be written.
    RegistryStore::UseDatabase("/proc/no-such-folder/registry.db");
    EXPECT_EQ(sheet_->Ok(), SettingsOutcome::NotSaved);
    uint32_t lock = 0;
    EXPECT_TRUE(settings_.GetNumber("Lock", &lock));
    EXPECT_EQ(lock, 2u); // the table in memory still follows the page
    RegistryStore::UseDatabase(folder_ / "registry.db");
    EXPECT_EQ(Number("Lock"), 0u);
}

// Each name field refuses each of the nine characters; RecDir takes them.
TEST_F(SettingsPagesTest, NameFieldsRefuseForbiddenCharacters) {
    WriteNumber("PhoneAutoRec", 1);
    const std::string forbidden = "\\/:*?\"<>|";
    struct Field {
        bool phone;
        int32_t field;
    };
    const Field fields[] = {{false, FilesPage::FileName},
                            {false, FilesPage::DateDirFormat},
                            {true, PhonePage::PhoneSub},
                            {true, PhonePage::PhoneFileName}};
    for (const Field& f : fields) {
        for (char c : forbidden) {
            Sheet(true);
            const std::string text = std::string("a") + c + "b";
            SettingsPage* page = f.phone ? static_cast<SettingsPage*>(sheet_->Phone())
                                         : static_cast<SettingsPage*>(&sheet_->Files());
            if (f.phone)
                ASSERT_TRUE(sheet_->Phone()->SetText(static_cast<PhonePage::Field>(f.field), text));
            else
                ASSERT_TRUE(sheet_->Files().SetText(static_cast<FilesPage::Field>(f.field), text));
            GetErrorLog().Clear();
            EXPECT_EQ(page->Validate(), 13052u) << f.field << " " << c;
            EXPECT_EQ(page->FocusField(), f.field) << c;
            EXPECT_EQ(GetErrorLog().GetLastCode(), 13052) << c;
            EXPECT_EQ(sheet_->Ok(), SettingsOutcome::Refused);
        }
    }
    Sheet(true);
    ASSERT_TRUE(sheet_->Files().SetText(FilesPage::RecDir, "\\My Documents\\a:b*"));
    ASSERT_TRUE(sheet_->Files().SetText(FilesPage::FileName, "%Y-%M-%D %h.%m (x) %Q"));
    EXPECT_EQ(sheet_->Files().Validate(), 0u);
    EXPECT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(String("RecDir"), "\\My Documents\\a:b*");
}

// Every text field takes kTextLimit characters and refuses one more.
TEST_F(SettingsPagesTest, TextFieldsAtTheirLimitAndOnePast) {
    WriteNumber("PhoneAutoRec", 1);
    const std::string atLimit(SettingsPage::kTextLimit, 'n');
    const std::string past(SettingsPage::kTextLimit + 1, 'p');
    const FilesPage::Field files[] = {FilesPage::RecDir, FilesPage::FileName,
                                      FilesPage::DateDirFormat};
    const PhonePage::Field phone[] = {PhonePage::PhoneSub, PhonePage::PhoneFileName};
    for (FilesPage::Field field : files) {
        Sheet(true);
        EXPECT_TRUE(sheet_->Files().SetText(field, atLimit)) << field;
        EXPECT_FALSE(sheet_->Files().SetText(field, past)) << field;
        EXPECT_EQ(sheet_->Files().Text(field), atLimit) << field;
    }
    for (PhonePage::Field field : phone) {
        EXPECT_TRUE(sheet_->Phone()->SetText(field, atLimit)) << field;
        EXPECT_FALSE(sheet_->Phone()->SetText(field, past)) << field;
        EXPECT_EQ(sheet_->Phone()->Text(field), atLimit) << field;
    }
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(String("DateDirFormat"), atLimit);
    EXPECT_EQ(String("PhoneFileName"), atLimit);
    // Boxes are no text fields.
    EXPECT_FALSE(sheet_->Files().SetText(FilesPage::GotoLast, "x"));
    EXPECT_FALSE(sheet_->Files().SetChecked(FilesPage::FileName, true));
}

TEST_F(SettingsPagesTest, PhoneFieldsFollowAutomaticRecording) {
    // Stored values a cleared box must leave alone, one of them not a valid name.
    WriteNumber("PhonePutInSub", 0);
    WriteNumber("PhoneBackground", 0);
    RegistryKey key(kSettingsKey);
    ASSERT_TRUE(key.Open());
    ASSERT_TRUE(key.WriteString("PhoneSub", "Bad|Sub"));
    ASSERT_TRUE(key.WriteString("PhoneFileName", "call"));
    key.Close();

    PhonePage& page = *Sheet(true).Phone();
    EXPECT_FALSE(page.Checked(PhonePage::PhoneAutoRec));
    EXPECT_TRUE(page.Enabled(PhonePage::PhoneAutoRec));
    for (PhonePage::Field field : {PhonePage::PhonePutInSub, PhonePage::PhoneSub,
                                   PhonePage::PhoneFileName, PhonePage::PhoneBackground}) {
        EXPECT_FALSE(page.Enabled(field)) << field;
        EXPECT_FALSE(page.SetText(field, "x")) << field;
        EXPECT_FALSE(page.SetChecked(field, true)) << field;
    }
    EXPECT_EQ(page.Text(PhonePage::PhoneSub), "Bad|Sub");
    // Edits made while it was on are dropped when it goes off again.
    ASSERT_TRUE(page.SetChecked(PhonePage::PhoneAutoRec, true));
    ASSERT_TRUE(page.SetText(PhonePage::PhoneFileName, "edited"));
    ASSERT_TRUE(page.SetChecked(PhonePage::PhoneBackground, true));
    ASSERT_TRUE(page.SetChecked(PhonePage::PhoneAutoRec, false));
    EXPECT_EQ(page.Validate(), 0u); // disabled fields are not checked
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(Number("PhoneAutoRec"), 0u);
    EXPECT_EQ(Number("PhonePutInSub"), 0u);
    EXPECT_EQ(Number("PhoneBackground"), 0u);
    EXPECT_EQ(String("PhoneSub"), "Bad|Sub");
    EXPECT_EQ(String("PhoneFileName"), "call");

    // Switched on, everything is enabled, checked and stored.
    PhonePage& again = *Sheet(true).Phone();
    ASSERT_TRUE(again.SetChecked(PhonePage::PhoneAutoRec, true));
    for (PhonePage::Field field : {PhonePage::PhonePutInSub, PhonePage::PhoneSub,
                                   PhonePage::PhoneFileName, PhonePage::PhoneBackground})
        EXPECT_TRUE(again.Enabled(field)) << field;
    EXPECT_EQ(again.Validate(), 13052u);
    EXPECT_EQ(again.FocusField(), PhonePage::PhoneSub);
    ASSERT_TRUE(again.SetText(PhonePage::PhoneSub, "Calls 2"));
    ASSERT_TRUE(again.SetChecked(PhonePage::PhoneBackground, true));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(Number("PhoneAutoRec"), 1u);
    EXPECT_EQ(Number("PhoneBackground"), 1u);
    EXPECT_EQ(String("PhoneSub"), "Calls 2");
    EXPECT_EQ(String("PhoneFileName"), "call");
}

// The beep boxes follow bit 2 of the system's "Mute" value.
TEST_F(SettingsPagesTest, BeepBoxesFollowTheSystemsEventSounds) {
    EXPECT_EQ(RecordingPage::ReadSoundFlags(), 2u); // missing
    struct Case {
        uint32_t mute;
        bool soundsOn;
    };
    const Case cases[] = {{0, false}, {1, false}, {2, true},          {3, true},
                          {4, false}, {6, true},  {0xfffffffd, false}};
    WriteNumber("BeepBegin", 1);
    WriteNumber("BeepEnd", 1);
    WriteNumber("FlashLED", 1);
    for (const Case& c : cases) {
        RegistryKey volume("ControlPanel\\Volume", HKEY_CURRENT_USER);
        ASSERT_TRUE(volume.Open(nullptr, true));
        ASSERT_TRUE(volume.WriteNumber("Mute", c.mute));
        volume.Close();
        const uint32_t flags = RecordingPage::ReadSoundFlags();
        EXPECT_EQ(flags, c.mute);
        RecordingPage& page = Sheet(false, flags).Recording();
        for (RecordingPage::Field beep : {RecordingPage::BeepBegin, RecordingPage::BeepEnd}) {
            EXPECT_EQ(page.Enabled(beep), c.soundsOn) << c.mute;
            EXPECT_EQ(page.Checked(beep), c.soundsOn) << c.mute;
            EXPECT_EQ(page.SetChecked(beep, true), c.soundsOn) << c.mute;
        }
        EXPECT_TRUE(page.Enabled(RecordingPage::FlashLed));
        EXPECT_TRUE(page.Checked(RecordingPage::FlashLed));
        EXPECT_TRUE(page.Enabled(RecordingPage::LiveMonitor));
        ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
        // What the page showed is what is stored.
        EXPECT_EQ(Number("BeepBegin"), c.soundsOn ? 1u : 0u) << c.mute;
        EXPECT_EQ(Number("FlashLED"), 1u);
        WriteNumber("BeepBegin", 1);
        WriteNumber("BeepEnd", 1);
    }
}

TEST_F(SettingsPagesTest, DisplayPageShowsAndStoresTheTimeout) {
    struct Case {
        uint32_t stored;
        bool box;
        uint32_t shown;
    };
    const Case cases[] = {{0, false, 5},  {5, true, 5},   {7, true, 7},
                          {10, true, 10}, {20, true, 20}, {30, true, 30},
                          {15, true, 20}, {1, true, 5},   {3600, true, 30}};
    for (const Case& c : cases) {
        WriteNumber("TurnOffAfter", c.stored);
        DisplayPage& page = Sheet(false).Display();
        EXPECT_EQ(page.TurnOff(), c.box) << c.stored;
        EXPECT_EQ(DisplayPage::OfferedSeconds()[page.SecondsIndex()], c.shown) << c.stored;
        EXPECT_EQ(page.Enabled(DisplayPage::TurnOffSeconds), c.box) << c.stored;
        EXPECT_EQ(page.SelectSeconds(1), c.box) << c.stored;
        ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
        EXPECT_EQ(Number("TurnOffAfter"), c.box ? 7u : 0u) << c.stored;
    }
    EXPECT_EQ(DisplayPage::OfferedSeconds(), (std::vector<uint32_t>{5, 7, 10, 20, 30}));

    // Clearing the box stores 0 whatever the list shows.
    WriteNumber("TurnOffAfter", 10);
    DisplayPage& page = Sheet(false).Display();
    page.SetTurnOff(false);
    EXPECT_FALSE(page.Enabled(DisplayPage::TurnOffSeconds));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(Number("TurnOffAfter"), 0u);
}

TEST_F(SettingsPagesTest, DisplayPageLockModes) {
    const std::pair<uint32_t, uint32_t> cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {99, 0}};
    for (const auto& [stored, shown] : cases) {
        WriteNumber("Lock", stored);
        DisplayPage& page = Sheet(false).Display();
        EXPECT_EQ(page.LockMode(), shown) << stored;
        EXPECT_TRUE(page.Enabled(DisplayPage::Lock));
        EXPECT_FALSE(page.SetLockMode(3));
        EXPECT_EQ(page.LockMode(), shown);
    }
    ASSERT_TRUE(sheet_->Display().SetLockMode(2));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(Number("Lock"), 2u);
}

TEST_F(SettingsPagesTest, InputPageShowsTheSelectedPreset) {
    const std::pair<uint32_t, uint32_t> cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3},
                                                   {4, 4}, {5, 1}, {7, 1}, {0xffffffff, 1}};
    for (const auto& [stored, shown] : cases) {
        WriteNumber("RecID", stored);
        EXPECT_EQ(Sheet(false).Input().RecId(), shown) << stored;
    }
    EXPECT_FALSE(sheet_->Input().SelectPreset(5));
    EXPECT_EQ(sheet_->Input().RecId(), 1u);
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(Number("RecID"), 1u);

    // The extension comes from the preset's encoder.
    InputPage& page = sheet_->Input();
    ASSERT_TRUE(page.SelectPreset(0));
    EXPECT_EQ(page.DescriptionLine().rfind("ZAF, 11025 Hz, 16 bits, mono, ", 0), 0u);
    ASSERT_TRUE(page.SelectPreset(1));
    EXPECT_EQ(page.DescriptionLine().rfind("MP3, 11025 Hz, 16 bits, mono, ", 0), 0u);
    ASSERT_TRUE(page.SelectPreset(2));
    EXPECT_EQ(page.DescriptionLine(), "WAV, 22050 Hz, 16 bits, mono, 352 kbps");
    ASSERT_TRUE(page.SelectPreset(4));
    EXPECT_EQ(page.DescriptionLine(), "WAV, 44100 Hz, 16 bits, mono, 705 kbps");
}

TEST_F(SettingsPagesTest, InputPageRemainingTime) {
    // 22050 Hz 16-bit mono WAV: 352 kbps, 44000 bytes a second.
    WriteNumber("RecID", 2);
    struct Case {
        uint64_t freeBytes;
        const char* text;
    };
    const Case cases[] = {
        {44000ull * 3725, "1 hours 2 minutes 5 seconds"},
        {44000ull * 3600, "1 hours 0 minutes 0 seconds"},
        {44000ull * 61 + 43999, "1 minutes 1 seconds"},
        {44000ull * 59, "59 seconds"},
        {1, "0 seconds"},
        {0, ""}, // the free space cannot be told
    };
    for (const Case& c : cases) {
        freeBytes_ = c.freeBytes;
        EXPECT_EQ(Sheet(false).Input().RemainingTimeLine(), c.text) << c.freeBytes;
    }
    // RecDir "\My Documents" is the documents folder; a missing folder too.
    freeBytes_ = 1000;
    Sheet(false).Input().RemainingTimeLine();
    EXPECT_EQ(spaceAskedFor_, documents_);
    RegistryKey key(kSettingsKey);
    ASSERT_TRUE(key.Open());
    ASSERT_TRUE(key.WriteString("RecDir", folder_.Folder("Rec")));
    key.Close();
    Sheet(false).Input().RemainingTimeLine();
    EXPECT_EQ(spaceAskedFor_, folder_ / "Rec");
    ASSERT_TRUE(key.Open());
    ASSERT_TRUE(key.WriteString("RecDir", folder_ / "gone"));
    key.Close();
    Sheet(false).Input().RemainingTimeLine();
    EXPECT_EQ(spaceAskedFor_, documents_);
}

TEST_F(SettingsPagesTest, ChangeStoresTheFormatDialogsPresetOnOkOnly) {
    // A damaged SpeechLow that nobody touches must stay as it is.
    WriteBinary("SpeechLow", std::string(10, '\x7f'));
    WriteNumber("RecID", 3);
    InputPage& page = Sheet(false).Input();
    EXPECT_EQ(page.Preset(0).encoderName, "ZAF encoder"); // shown as its factory preset

    // A dialog dropped without OK changes nothing.
    const QualityPreset before = page.Preset(3);
    {
        auto dialog = page.OpenFormatDialog();
        ASSERT_TRUE(dialog->SelectEncoder(0));
    }
    EXPECT_EQ(page.Preset(3), before);

    auto dialog = page.OpenFormatDialog();
    EXPECT_EQ(dialog->Result(), before); // opens on the selected preset
    const auto& encoders = dialog->Encoders();
    const auto wav = std::find(encoders.begin(), encoders.end(), "WAV encoder");
    ASSERT_NE(wav, encoders.end());
    ASSERT_TRUE(dialog->SelectEncoder(static_cast<int32_t>(wav - encoders.begin())));
    dialog->SetAll(true);
    ASSERT_TRUE(dialog->SelectFormat(FormatIndex(*dialog, 8000, 16, 2)));
    page.FormatDialogDone(*dialog);
    EXPECT_EQ(page.DescriptionLine(), "WAV, 8000 Hz, 16 bits, stereo, 256 kbps");
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);

    SettingsStore fresh;
    ASSERT_TRUE(fresh.Load(kSettingsKey));
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(fresh.GetBinary("MusicLow", &bytes, &size));
    QualityPreset stored;
    ASSERT_TRUE(QualityPreset::Decode(bytes, size, &stored));
    EXPECT_EQ(stored, QualityPreset::FromFormat("WAV encoder", 8000, 16, 2, 0));
    ASSERT_TRUE(fresh.GetBinary("SpeechLow", &bytes, &size));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), std::string(10, '\x7f'));
    for (const char* untouched : {"SpeechMid", "SpeechHigh", "MusicHigh"}) {
        ASSERT_TRUE(fresh.GetBinary(untouched, &bytes, &size));
        const size_t index = std::string("SpeechMid") == untouched    ? 1
                             : std::string("SpeechHigh") == untouched ? 2
                                                                      : 4;
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size),
                  std::vector<uint8_t>(SettingsStore::FactoryPreset(index).begin(),
                                       SettingsStore::FactoryPreset(index).end()))
            << untouched;
    }
}

} // namespace
} // namespace tonilo::test
