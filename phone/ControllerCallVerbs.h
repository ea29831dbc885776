#pragma once
// The call verbs as the running program carries them out: the call watcher
// drives the recorder controller, and a call is named by the phone's own
// templates and kept private to its owner.
#include <memory>
#include <string>
#include <vector>

#include "app/CallVerbs.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "phone/CallWatcher.h"

namespace tonilo {

// The recorder controller seen as the watcher's recorder.
class ControllerCallRecorder : public CallRecorder {
public:
    ControllerCallRecorder(RecorderController& controller, const SettingsStore& settings)
        : controller_(controller), settings_(settings) {}

    // Without a main window both roads lead straight to the controller.
    void PrepareRecording(const CallRecordingRequest& request, bool background) override;
    void ToggleRecording() override { controller_.ToggleRecording(); }
    void Stop() override { controller_.Stop(); }

private:
    RecorderController& controller_;
    const SettingsStore& settings_;
};

class ControllerCallVerbs : public CallVerbs {
public:
    ControllerCallVerbs(RecorderController& controller, const SettingsStore& settings);

    void Handle(Verb verb, const std::vector<std::string>& arguments) override;
    bool Background() const override { return watcher_.Background(); }

private:
    ControllerCallRecorder recorder_;
    CallWatcher watcher_; // after the recorder: it restores the timeout as it goes
};

// What the program hands its application object.
CallVerbsFactory MakeControllerCallVerbs();

} // namespace tonilo
