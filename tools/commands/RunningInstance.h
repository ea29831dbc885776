#pragma once
// The socket of the running tonilo, as the program itself finds it: from the
// AppID setting under the program folder's settings key.
#include <string>

#include "app/SettingsStore.h"
#include "platform/InstanceChannel.h"
#include "tools/ToolCommand.h"

namespace tonilo::tool {

inline std::string RunningInstanceSocket(const ToolContext& context) {
    SettingsStore settings;
    std::string keyPath = SettingsKeyPathForFolder(context.programFolder);
    settings.Load(keyPath.c_str());
    std::string appId;
    settings.GetString("AppID", &appId);
    if (appId.size() > 64)
        appId.resize(64);
    return InstanceSocketPath(appId);
}

} // namespace tonilo::tool
