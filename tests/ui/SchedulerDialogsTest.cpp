// The scheduler's event list and event editor over a real schedule file: the
// fields and what shows when, the schedule's own refusals routed to their pages,
// what OK stores and arms, and Cancel leaving the file as it was.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/LanguageResources.h"
#include "platform/RegistryStore.h"
#include "scheduler/ScheduleAction.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"
#include "ui/EventListModel.h"

namespace tonilo {
namespace {

using test::Quoted;

// Counts the re-armings and what the schedule held at each.
class CountingArming : public ScheduleArming {
public:
    void Rearm(Scheduler& scheduler) override {
        ++calls;
        eventsSeen = scheduler.Count();
    }
    int calls = 0;
    size_t eventsSeen = 0;
};

LocalTime At(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute) {
    LocalTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.dayOfWeek = static_cast<uint16_t>(WeekdayOf(time));
    return time;
}

class SchedulerDialogs : public ::testing::Test {
protected:
    SchedulerDialogs() {
        std::setlocale(LC_ALL, "C");
        std::filesystem::create_directories(folder_ / "data");
        schedulePath_ = ScheduleFileIn(folder_ / "data");
        scheduler_.Initialise(TONILO_PROGRAM_DIR "/tonilo", schedulePath_);
        scheduler_.RegisterAction(MakeRecordAction());
        scheduler_.RegisterAction(MakePlayAction());
    }

    // An event stored straight into the schedule, as a file from earlier runs.
    void Store(const std::string& name, uint32_t action, LocalTime start, uint8_t repeat = 0,
               uint32_t length = 1800) {
        ScheduleEvent event = ScheduleEvent::New(start);
        event.name = name;
        event.action = action;
        event.repeat = repeat;
        event.length = length;
        event.enabled = 1;
        ASSERT_TRUE(scheduler_.Add(event, false)) << name;
    }

    // A new Record event in the editor, confirmed.
    EditorStep AddThroughEditor(EventListModel& list, const std::string& name, LocalTime start) {
        EXPECT_EQ(list.Command(kNewEventCommand), ListStep::OpenEditor);
        std::unique_ptr<EventEditorModel> editor = list.TakeEditor();
        editor->SetName(name);
        editor->SetStartDate(start.year, start.month, start.day);
        editor->SetStartTime(start.hour, start.minute);
        EditorStep step = editor->Ok();
        list.EditorClosed();
        return step;
    }

    test::ScratchFolder folder_;
    std::string schedulePath_;
    Scheduler scheduler_;
    CountingArming arming_;
};

TEST_F(SchedulerDialogs, OpeningDropsPastEventsAndShowsRowsInOrder) {
    Store("Later", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("Weekly", kPlayActionId, At(2001, 1, 1, 7, 15), 1 | 4);
    ScheduleEvent past = ScheduleEvent::New(At(2001, 1, 1, 8, 0));
    past.name = "Gone";
    past.action = kRecordActionId;
    ASSERT_TRUE(scheduler_.Add(past, true));
    ASSERT_TRUE(scheduler_.Save());

    Scheduler reloaded;
    reloaded.Initialise(TONILO_PROGRAM_DIR "/tonilo", schedulePath_);
    reloaded.RegisterAction(MakeRecordAction());
    reloaded.RegisterAction(MakePlayAction());
    EventListModel list(reloaded, arming_);
    list.Open();
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[0].name, "Later");
    EXPECT_EQ(list.Rows()[0].time, "10:00, 05/01/90");
    EXPECT_TRUE(list.Rows()[0].checked);
    // The C locale's week starts on Sunday: Monday, then Wednesday.
    EXPECT_EQ(list.Rows()[1].time, "07:15, Mon, Wed");
    EXPECT_EQ(list.Rows()[1].index, 1u);
}

TEST_F(SchedulerDialogs, CommandsAreEnabledBySelectionAndRows) {
    EventListModel list(scheduler_, arming_);
    list.Open();
    struct Case {
        uint32_t command;
        bool empty, withRows, withSelection;
    };
    const Case cases[] = {
        {kNewEventCommand, true, true, true},          {kEditEventCommand, false, false, true},
        {kDeleteEventCommand, false, false, true},     {kDeleteAllEventsCommand, false, true, true},
        {kDisableAllEventsCommand, false, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.Enabled(c.command), c.empty) << c.command;
    Store("A", kRecordActionId, At(2090, 5, 1, 10, 0));
    list.EditorClosed();
    for (const Case& c : cases)
        EXPECT_EQ(list.Enabled(c.command), c.withRows) << c.command;
    list.Select(0);
    for (const Case& c : cases)
        EXPECT_EQ(list.Enabled(c.command), c.withSelection) << c.command;
    EXPECT_EQ(list.ContextMenu().size(), 4u);
    // A disabled command does nothing even when it arrives.
    list.Select(-1);
    EXPECT_EQ(list.Command(kDeleteEventCommand), ListStep::None);
}

TEST_F(SchedulerDialogs, NewEventProposesFirstFreeNumberedNameAndShowsByAction) {
    Store("Record", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("record1", kRecordActionId, At(2090, 5, 2, 10, 0));
    EventEditorModel editor(scheduler_, nullptr);
    EXPECT_EQ(editor.SelectedAction(), 0);
    EXPECT_EQ(editor.Name(), "Record2");
    EXPECT_FALSE(editor.Disabled());
    EXPECT_FALSE(editor.PropertiesShown());
    EXPECT_TRUE(editor.LengthShown());
    EXPECT_EQ(editor.LengthHours() * 60 + editor.LengthMinutes(), 30u);

    editor.SelectAction(1);
    EXPECT_EQ(editor.Name(), "Play");
    EXPECT_TRUE(editor.PropertiesShown());
    EXPECT_FALSE(editor.LengthShown());
    ASSERT_NE(dynamic_cast<PlayProperties*>(editor.Properties()), nullptr);
}

TEST_F(SchedulerDialogs, EditedEventKeepsItsNameAndPropertiesAcrossActionChanges) {
    ScheduleEvent event = ScheduleEvent::New(At(2090, 5, 1, 10, 0));
    event.name = "Morning news";
    event.action = kPlayActionId;
    PlayProperties play;
    play.path = "/music/news.mp3";
    event.properties = SerialiseProperties(play);
    ASSERT_TRUE(scheduler_.Add(event, false));

    EventEditorModel editor(scheduler_, scheduler_.Find("Morning news"));
    EXPECT_TRUE(editor.Disabled()); // stored disabled
    EXPECT_EQ(editor.SelectedAction(), 1);
    EXPECT_EQ(editor.PlayFile(), "/music/news.mp3");
    editor.SelectAction(0);
    EXPECT_EQ(editor.Name(), "Morning news");
    EXPECT_EQ(editor.PlayFile(), "");
    EXPECT_FALSE(editor.SetPlayFile("/elsewhere.wav")); // Record has no file
    editor.SelectAction(1);
    EXPECT_EQ(editor.PlayFile(), "/music/news.mp3");
}

TEST_F(SchedulerDialogs, FieldsStayWithinTheirLimits) {
    EventEditorModel editor(scheduler_, nullptr);
    editor.SelectAction(1);
    editor.SetName(std::string(259, 'n'));
    EXPECT_EQ(editor.Name().size(), 259u);
    editor.SetName(std::string(260, 'n'));
    EXPECT_EQ(editor.Name().size(), 259u);
    // Characters outside the basic plane count two units and are never split.
    editor.SetName(std::string(258, 'n') + "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(editor.Name(), std::string(258, 'n'));

    EXPECT_TRUE(editor.SetPlayFile("/" + std::string(258, 'p')));
    EXPECT_FALSE(editor.SetPlayFile("/" + std::string(259, 'p')));
    EXPECT_EQ(editor.PlayFile().size(), 259u);
}

TEST_F(SchedulerDialogs, WeekdaysHideTheDateAndMakeTheMask) {
    EventEditorModel editor(scheduler_, nullptr);
    std::vector<WeekdayBox> boxes = editor.DayBoxes();
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(boxes[0].bit, 64); // the C locale's week starts on Sunday

    EXPECT_TRUE(editor.DateShown());
    editor.SetDay(1, true);
    EXPECT_FALSE(editor.DateShown());
    editor.SetDay(64, true);
    EXPECT_EQ(editor.Repeat(), 65);
    editor.SetDay(1, false);
    editor.SetDay(64, false);
    EXPECT_TRUE(editor.DateShown());
    EXPECT_EQ(editor.Repeat(), 0);
}

TEST_F(SchedulerDialogs, RefusalsGoToThePageThatOwnsThem) {
    Store("Existing", kRecordActionId, At(2090, 5, 1, 10, 0));
    struct Case {
        const char* what;
        std::function<void(EventEditorModel&)> change;
        uint32_t message;
        EditorStep step;
        bool focusDate;
    };
    const Case cases[] = {
        {"same name in other case", [](EventEditorModel& e) { e.SetName("EXISTING"); },
         kEventNameTaken, EditorStep::ShowOnEventPage, false},
        {"empty name", [](EventEditorModel& e) { e.SetName(""); }, kEventNameEmpty,
         EditorStep::ShowOnEventPage, false},
        {"in the past", [](EventEditorModel& e) { e.SetStartDate(2001, 1, 1); }, kEventTimeInPast,
         EditorStep::ShowOnTimePage, true},
        {"zero length", [](EventEditorModel& e) { e.SetLength(0, 0); }, kEventLengthNotPositive,
         EditorStep::ShowOnTimePage, false},
        {"inside another",
         [](EventEditorModel& e) {
             e.SetStartDate(2090, 5, 1);
             e.SetStartTime(10, 15);
         },
         kEventCollides, EditorStep::ShowOnTimePage, false},
        {"day outside the calendar", [](EventEditorModel& e) { e.SetStartDate(2090, 2, 30); },
         kEventTimeInPast, EditorStep::ShowOnTimePage, true},
    };
    const std::string before = scheduler_.Serialise();
    for (const Case& c : cases) {
        EventEditorModel editor(scheduler_, nullptr);
        editor.SetName("Fresh");
        editor.SetStartDate(2090, 6, 1);
        editor.SetStartTime(9, 0);
        c.change(editor);
        EXPECT_EQ(editor.Validate(), c.message) << c.what;
        EXPECT_EQ(editor.Ok(), c.step) << c.what;
        EXPECT_EQ(editor.Message(), c.message) << c.what;
        EXPECT_EQ(editor.FocusDate(), c.focusDate) << c.what;
        EXPECT_EQ(LoadResourceString(editor.Message()).empty(), false) << c.what;
        EXPECT_EQ(scheduler_.Serialise(), before) << c.what;
    }
}

TEST_F(SchedulerDialogs, PlayIsNeverRefusedForItsLength) {
    Store("Rec", kRecordActionId, At(2090, 5, 1, 10, 0));
    EventEditorModel editor(scheduler_, nullptr);
    editor.SelectAction(1);
    editor.SetLength(0, 0);
    editor.SetStartDate(2090, 5, 1);
    editor.SetStartTime(10, 31); // just after the recording
    ASSERT_TRUE(editor.SetPlayFile("/music/a.mp3"));
    EXPECT_EQ(editor.Validate(), 0u);
    EXPECT_EQ(editor.Ok(), EditorStep::Closed);
    const ScheduleEvent* stored = scheduler_.Find("Play");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->length, 1800u); // untouched: Play has no length
    EXPECT_EQ(stored->enabled, 1u);

    // Ending exactly at the play event's start collides.
    EventEditorModel clash(scheduler_, nullptr);
    clash.SetStartDate(2090, 5, 1);
    clash.SetStartTime(10, 1);
    EXPECT_EQ(clash.Ok(), EditorStep::ShowOnTimePage);
}

TEST_F(SchedulerDialogs, EditingUpdatesInPlaceAndMayKeepItsOwnName) {
    Store("First", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("Second", kRecordActionId, At(2090, 5, 2, 10, 0));
    EventListModel list(scheduler_, arming_);
    list.Open();
    list.Select(0);
    ASSERT_EQ(list.Command(kEditEventCommand), ListStep::OpenEditor);
    std::unique_ptr<EventEditorModel> editor = list.TakeEditor();
    EXPECT_EQ(editor->Name(), "First");
    editor->SetStartTime(10, 20); // overlaps only its own old time
    editor->SetLength(1, 5);
    editor->SetDisabled(true);
    ASSERT_EQ(editor->Ok(), EditorStep::Closed);
    list.EditorClosed();
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[0].name, "First");
    EXPECT_FALSE(list.Rows()[0].checked);
    EXPECT_EQ(scheduler_.Find("First")->length, 3900u);
    EXPECT_EQ(scheduler_.Find("First")->start.minute, 20);
}

TEST_F(SchedulerDialogs, ThirtyThirdEventIsRefusedBeforeTheEditorOpens) {
    for (uint16_t day = 1; day <= 32; ++day)
        Store("E" + std::to_string(day), kRecordActionId,
              At(2090, 1 + (day - 1) / 16, 1 + (day - 1) % 16, 10, 0));
    EventListModel list(scheduler_, arming_);
    list.Open();
    EXPECT_EQ(list.Command(kNewEventCommand), ListStep::ShowMessage);
    EXPECT_EQ(list.Message(), LoadResourceString(EventListModel::kFullMessage));
    EXPECT_EQ(list.TakeEditor(), nullptr);
}

TEST_F(SchedulerDialogs, CheckBoxesAndDisableAllSetEnabledAtOnce) {
    Store("A", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("B", kRecordActionId, At(2090, 5, 2, 10, 0));
    EventListModel list(scheduler_, arming_);
    list.Open();
    list.SetChecked(0, false);
    EXPECT_EQ(scheduler_.Find("A")->enabled, 0u);
    list.SetChecked(0, true);
    EXPECT_EQ(scheduler_.Find("A")->enabled, 1u);
    list.SetChecked(7, false); // no such row: nothing
    EXPECT_EQ(list.Command(kDisableAllEventsCommand), ListStep::None);
    EXPECT_EQ(scheduler_.Find("A")->enabled, 0u);
    EXPECT_EQ(scheduler_.Find("B")->enabled, 0u);
    EXPECT_FALSE(list.Rows()[0].checked);
    EXPECT_FALSE(list.Rows()[1].checked);
}

TEST_F(SchedulerDialogs, DeleteQuestionsActOnlyOnYes) {
    Store("A", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("B", kRecordActionId, At(2090, 5, 2, 10, 0));
    EventListModel list(scheduler_, arming_);
    list.Open();
    list.Select(1);
    ASSERT_EQ(list.Command(kDeleteEventCommand), ListStep::Ask);
    EXPECT_EQ(list.Message(), "Do you really want to delete selected event?");
    list.Answer(QuestionAnswer::No);
    EXPECT_EQ(list.Rows().size(), 2u);
    ASSERT_EQ(list.Command(kDeleteEventCommand), ListStep::Ask);
    list.Answer(QuestionAnswer::Yes);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].name, "A");
    EXPECT_EQ(scheduler_.Find("B"), nullptr);
    EXPECT_EQ(list.Selected(), -1);

    ASSERT_EQ(list.Command(kDeleteAllEventsCommand), ListStep::Ask);
    EXPECT_EQ(list.Message(), "Do you really want to delete all events?");
    list.Answer(QuestionAnswer::Cancel);
    EXPECT_EQ(scheduler_.Count(), 1u);
    ASSERT_EQ(list.Command(kDeleteAllEventsCommand), ListStep::Ask);
    list.Answer(QuestionAnswer::Yes);
    EXPECT_EQ(scheduler_.Count(), 0u);
    EXPECT_TRUE(list.Rows().empty());
    // An answer with no question pending changes nothing.
    Store("C", kRecordActionId, At(2090, 5, 3, 10, 0));
    list.EditorClosed();
    list.Answer(QuestionAnswer::Yes);
    EXPECT_EQ(scheduler_.Count(), 1u);
}

TEST_F(SchedulerDialogs, CancelAtEveryStepLeavesTheFileAsItWas) {
    Store("A", kRecordActionId, At(2090, 5, 1, 10, 0));
    Store("B", kPlayActionId, At(2090, 5, 2, 10, 0));
    ASSERT_TRUE(scheduler_.Save());
    const std::string before = test::ReadWholeFile(schedulePath_);
    ASSERT_FALSE(before.empty());

    EventListModel list(scheduler_, arming_);
    list.Open();
    // Editor cancelled after edits.
    list.Select(0);
    ASSERT_EQ(list.Command(kEditEventCommand), ListStep::OpenEditor);
    auto editor = list.TakeEditor();
    editor->SetName("Renamed");
    editor->Cancel();
    list.EditorClosed();
    EXPECT_EQ(scheduler_.Find("Renamed"), nullptr);
    // A refused OK stores nothing either.
    ASSERT_EQ(list.Command(kEditEventCommand), ListStep::OpenEditor);
    editor = list.TakeEditor();
    editor->SetName("");
    EXPECT_EQ(editor->Ok(), EditorStep::ShowOnEventPage);
    // Changes in memory, then Cancel on the list.
    list.SetChecked(1, false);
    ASSERT_EQ(list.Command(kDeleteEventCommand), ListStep::Ask);
    list.Answer(QuestionAnswer::Yes);
    EXPECT_EQ(AddThroughEditor(list, "New one", At(2090, 7, 1, 8, 0)), EditorStep::Closed);
    list.Cancel();
    EXPECT_EQ(test::ReadWholeFile(schedulePath_), before);
    EXPECT_EQ(arming_.calls, 0);
    // The changes stay in memory and go with the next OK.
    EXPECT_EQ(scheduler_.Find("A"), nullptr);
    EventListModel again(scheduler_, arming_);
    again.Open();
    EXPECT_EQ(again.Rows().size(), 2u);
    EXPECT_TRUE(again.Ok());
    EXPECT_NE(test::ReadWholeFile(schedulePath_), before);
    EXPECT_EQ(arming_.calls, 1);
}

TEST_F(SchedulerDialogs, OkSavesOnlyAChangedListAndAlwaysArms) {
    EventListModel list(scheduler_, arming_);
    list.Open();
    EXPECT_TRUE(list.Ok());
    EXPECT_FALSE(std::filesystem::exists(schedulePath_));
    EXPECT_EQ(arming_.calls, 1);

    EXPECT_EQ(AddThroughEditor(list, "Evening", At(2090, 7, 1, 20, 0)), EditorStep::Closed);
    EXPECT_TRUE(list.Ok());
    EXPECT_TRUE(std::filesystem::exists(schedulePath_));
    EXPECT_EQ(arming_.calls, 2);
    EXPECT_EQ(arming_.eventsSeen, 1u);

    // A file changed behind the dialog is not written again by an unchanged OK.
    test::WriteWholeFile(schedulePath_, std::string("SCH1\0", 5));
    EXPECT_TRUE(list.Ok());
    EXPECT_EQ(test::ReadWholeFile(schedulePath_), std::string("SCH1\0", 5));

    // Deleting the last event removes the file.
    list.Select(0);
    list.Command(kDeleteEventCommand);
    list.Answer(QuestionAnswer::Yes);
    EXPECT_TRUE(list.Ok());
    EXPECT_FALSE(std::filesystem::exists(schedulePath_));
}

TEST_F(SchedulerDialogs, EventMadeInTheDialogIsListedAndArmedByTheTool) {
    ::setenv("TONILO_NOTIFICATIONS", "store", 1);
    RegistryStore::UseDatabase(folder_ / "registry.db");
    NotificationArming arming;
    EventListModel list(scheduler_, arming);
    list.Open();
    ASSERT_EQ(list.Command(kNewEventCommand), ListStep::OpenEditor);
    std::unique_ptr<EventEditorModel> editor = list.TakeEditor();
    editor->SelectAction(1);
    ASSERT_TRUE(editor->SetPlayFile("/music/wake up.mp3"));
    editor->SetName("Wake up");
    editor->SetDay(1, true);
    editor->SetDay(16, true);
    editor->SetStartTime(6, 45);
    ASSERT_EQ(editor->Ok(), EditorStep::Closed);
    list.EditorClosed();
    ASSERT_TRUE(list.Ok());

    const std::string data = " --data " + Quoted(folder_ / "data") + " ";
    test::ToolRun listed = test::RunToolIn(folder_.Path(), data + "schedule list");
    ASSERT_EQ(listed.exitCode, 0) << listed.errors;
    const std::string date = FormatLocalTime(scheduler_.Find("Wake up")->start);
    EXPECT_EQ(listed.output,
              "Wake up\tPlay\t" + date + "\t-\tM---F--\tenabled\t/music/wake up.mp3\n");
    test::ToolRun armed =
        test::RunToolIn(folder_.Path(), data + "notifications list",
                        TONILO_PROGRAM_DIR "/tonilo-tool", "TONILO_NOTIFICATIONS=store");
    ASSERT_EQ(armed.exitCode, 0) << armed.errors;
    EXPECT_NE(armed.output.find("\tWake up\n"), std::string::npos) << armed.output;
    EXPECT_NE(armed.output.find(" 06:45:00\t"), std::string::npos) << armed.output;
}

} // namespace
} // namespace tonilo
