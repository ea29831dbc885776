#include "phone/ControllerCallVerbs.h"

#include "phone/CallNaming.h"

namespace tonilo {

void ControllerCallRecorder::PrepareRecording(const CallRecordingRequest& request, bool) {
    RecordingRequest recording;
    recording.phoneCall = request.phoneCall;
    recording.callerText = request.callerText;
    if (request.phoneCall)
        recording.callNaming = MakeCallNamingRequest(settings_, request.callerText);
    controller_.PrepareRecording(recording);
}

ControllerCallVerbs::ControllerCallVerbs(RecorderController& controller,
                                         const SettingsStore& settings)
    : recorder_(controller, settings), watcher_(recorder_, [&settings] {
          uint32_t background = 1;
          settings.GetNumber("PhoneBackground", &background);
          return background != 0;
      }) {}

void ControllerCallVerbs::Handle(Verb verb, const std::vector<std::string>& arguments) {
    switch (verb) {
    case Verb::CallPrepare: {
        TokenAfterVerb next;
        if (arguments.size() > 1) {
            TokenKind kind = KindOfToken(arguments[1]);
            next.kind = kind == TokenKind::Text     ? TokenAfterVerb::kText
                        : kind == TokenKind::Number ? TokenAfterVerb::kNumber
                                                    : TokenAfterVerb::kSwitch;
            next.text = arguments[1];
        }
        watcher_.CallPrepare(next);
        break;
    }
    case Verb::CallStart:
        watcher_.CallStart();
        break;
    case Verb::CallStop:
        watcher_.CallStop();
        break;
    default:
        break;
    }
}

CallVerbsFactory MakeControllerCallVerbs() {
    return [](RecorderController& controller) -> std::unique_ptr<CallVerbs> {
        return std::make_unique<ControllerCallVerbs>(controller, GetSettings());
    };
}

} // namespace tonilo
