#include "ui/dialogs/SettingsPageViews.h"

#include "app/RecordingNamer.h"
#include "platform/LanguageResources.h"
#include "ui/ButtonsPage.h"
#include "ui/DisplayPage.h"
#include "ui/FilesPage.h"
#include "ui/InputPage.h"
#include "ui/PhonePage.h"
#include "ui/RecordingPage.h"
#include "ui/SettingsSheet.h"
#include "ui/dialogs/ButtonCaptureDialog.h"
#include "ui/dialogs/FormatDialog.h"

namespace tonilo {
namespace {

std::string Text(uint32_t id) {
    return LoadResourceString(id);
}

// A refused field takes the keyboard the first time it is drawn again.
void FocusIfRefused(DialogUi& ui, PageViewState& state, int32_t field) {
    if (state.focus == field) {
        ui.FocusNext();
        state.focus = -1;
    }
}

void ShowVariablesHelp(DialogUi& ui, const std::string& help) {
    ui.Services().Ask(help, Text(SettingsSheet::kTitle), QuestionButtons::Ok,
                      [](QuestionAnswer) {});
}

template <typename Page, typename Field>
void PageCheck(DialogUi& ui, Page& page, Field field, const std::string& label) {
    bool checked = page.Checked(field);
    if (ui.Check(label, &checked, page.Enabled(field)))
        page.SetChecked(field, checked);
}

template <typename Page, typename Field>
void PageEdit(DialogUi& ui, Page& page, Field field, PageViewState& state) {
    FocusIfRefused(ui, state, field);
    std::string text = page.Text(field);
    if (ui.Edit(Text(Page::Label(field)), &text, SettingsPage::kTextLimit, page.Enabled(field)))
        page.SetText(field, text);
}

} // namespace

void DrawInputPage(DialogUi& ui, InputPage& page) {
    for (uint32_t recId = 0; recId < InputPage::kPresetCount; ++recId) {
        if (recId == 0)
            ui.Heading(Text(InputPage::kSpeechLabel));
        else if (recId == 3)
            ui.Heading(Text(InputPage::kMusicLabel));
        // The same label twice ("Long Time") needs its own control id.
        const std::string label =
            Text(InputPage::PresetLabel(recId)) + "##preset" + std::to_string(recId);
        if (ui.Radio(label, page.RecId() == recId))
            page.SelectPreset(recId);
    }
    ui.Separator();
    ui.Text(page.DescriptionLine());
    ui.Text(page.RemainingTimeLine());
    if (ui.Button(Text(InputPage::kChangeText))) {
        InputPage* target = &page;
        ui.Services().OpenDialog(
            MakeFormatDialog(page.OpenFormatDialog(), [target](const FormatDialogModel& dialog) {
                target->FormatDialogDone(dialog);
            }));
    }
}

void DrawRecordingPage(DialogUi& ui, RecordingPage& page) {
    for (int32_t i = 0; i < RecordingPage::kFieldCount; ++i) {
        const auto field = static_cast<RecordingPage::Field>(i);
        if (page.Shown(field))
            PageCheck(ui, page, field, Text(RecordingPage::Label(field)));
    }
}

void DrawFilesPage(DialogUi& ui, FilesPage& page, PageViewState& state) {
    PageEdit(ui, page, FilesPage::RecDir, state);
    if (ui.Button(Text(FilesPage::kBrowseText))) {
        FilesPage* target = &page;
        ui.Services().ChooseFolder(
            Text(FilesPage::Label(FilesPage::RecDir)),
            ResolveRecordingDirectory(page.Text(FilesPage::RecDir), state.documents),
            [target](const std::string& folder) {
                if (!folder.empty())
                    target->BrowseDone(folder);
            });
    }
    PageEdit(ui, page, FilesPage::FileName, state);
    if (ui.Button(Text(FilesPage::kHelpButton) + "##files", true, ui.RowHeight() * 1.5f))
        ShowVariablesHelp(ui, FilesPage::HelpText());
    PageCheck(ui, page, FilesPage::GotoLast, Text(FilesPage::Label(FilesPage::GotoLast)));
    PageCheck(ui, page, FilesPage::DateDir, Text(FilesPage::Label(FilesPage::DateDir)));
    PageEdit(ui, page, FilesPage::DateDirFormat, state);
}

void DrawPhonePage(DialogUi& ui, PhonePage& page, PageViewState& state) {
    PageCheck(ui, page, PhonePage::PhoneAutoRec, Text(PhonePage::Label(PhonePage::PhoneAutoRec)));
    PageCheck(ui, page, PhonePage::PhonePutInSub, Text(PhonePage::Label(PhonePage::PhonePutInSub)));
    PageEdit(ui, page, PhonePage::PhoneSub, state);
    PageEdit(ui, page, PhonePage::PhoneFileName, state);
    if (ui.Button(Text(PhonePage::kHelpButton) + "##phone", page.Enabled(PhonePage::PhoneFileName),
                  ui.RowHeight() * 1.5f))
        ShowVariablesHelp(ui, PhonePage::HelpText());
    PageCheck(ui, page, PhonePage::PhoneBackground,
              Text(PhonePage::Label(PhonePage::PhoneBackground)));
}

void DrawDisplayPage(DialogUi& ui, DisplayPage& page) {
    for (uint32_t lock = 0; lock < 3; ++lock) {
        if (ui.Radio(Text(DisplayPage::LockLabel(lock)), page.LockMode() == lock))
            page.SetLockMode(lock);
    }
    ui.Separator();
    bool turnOff = page.TurnOff();
    if (ui.Check(Text(DisplayPage::kTurnOffLabel), &turnOff))
        page.SetTurnOff(turnOff);
    std::vector<std::string> items;
    for (uint32_t seconds : DisplayPage::OfferedSeconds())
        items.push_back(std::to_string(seconds) + " " + Text(DisplayPage::kSecondsText));
    auto index = static_cast<int32_t>(page.SecondsIndex());
    if (ui.Combo("##seconds", items, &index, page.Enabled(DisplayPage::TurnOffSeconds)))
        page.SelectSeconds(static_cast<size_t>(index));
}

void DrawButtonsPage(DialogUi& ui, ButtonsPage& page, PageViewState& state) {
    std::vector<DialogListRow>& rows = state.buttonRows;
    rows.resize(page.RowCount());
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row].cells = {page.ActionText(row), page.ButtonText(row)};
    // The two buttons stay in sight under the list.
    const float list = ui.RemainingHeight() - ui.RowHeight() * 1.4f;
    const DialogListEvent event =
        ui.List("buttons", {Text(ButtonsPage::kActionColumn), Text(ButtonsPage::kButtonColumn)},
                rows, false, list > ui.RowHeight() * 3 ? list : ui.RowHeight() * 3);
    const int32_t chosen = event.activated >= 0 ? event.activated : event.clicked;
    if (chosen >= 0 && state.buttons != nullptr) {
        const auto row = static_cast<size_t>(chosen);
        ButtonsPage* target = &page;
        ui.Services().OpenDialog(
            MakeButtonCaptureDialog(*state.buttons, ButtonActions()[row].action,
                                    [target, row](uint32_t key) { target->AssignRow(row, key); }));
    }
    if (ui.Button(Text(ButtonsPage::kResetAllText)))
        page.ResetAll();
    ui.SameLine();
    if (ui.Button(Text(ButtonsPage::kRestoreDefaultsText)))
        page.RestoreDefaults();
}

} // namespace tonilo
