#include "phone/CallNaming.h"

namespace tonilo {

NamingRequest MakeCallNamingRequest(const SettingsStore& settings, const std::string& callerText) {
    NamingRequest request;
    std::string text;
    settings.GetString("RecDir", &text);
    request.directory = text;
    settings.GetString("PhoneFileName", &text);
    request.nameTemplate = text;
    uint32_t putInSub = 0, dateDir = 0;
    settings.GetNumber("PhonePutInSub", &putInSub);
    settings.GetNumber("DateDir", &dateDir);
    if (putInSub == 1) {
        settings.GetString("PhoneSub", &text);
        request.subfolderTemplate = text;
    } else if (dateDir == 1) {
        settings.GetString("DateDirFormat", &text);
        request.subfolderTemplate = text;
    }
    request.callerText = callerText;
    request.phoneCall = true;
    return request;
}

} // namespace tonilo
