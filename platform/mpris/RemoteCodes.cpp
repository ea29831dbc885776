#include "platform/mpris/RemoteCodes.h"

namespace tonilo {

std::function<void(uint32_t code)> PostRemoteCodesTo(ThreadId uiThread) {
    return
        [uiThread](uint32_t code) { PostThreadMessage(uiThread, kRemoteControlMessage, code, 0); };
}

} // namespace tonilo
