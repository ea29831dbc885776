#include "Libs/ToniloLib/Src/engine/EngineBase.h"

namespace tonilo {

EngineBase::~EngineBase() {
    if (host_)
        host_->Release();
}

uint32_t EngineBase::AddRef() {
    return AddReference();
}

uint32_t EngineBase::Release() {
    uint32_t remaining = DropReference();
    if (remaining == 0) {
        // An abandoned worker still runs this engine's code: it deletes the
        // engine itself when it ends.
        worker_.Finish(
            ENGINE_COMMAND_CLOSE, [this] { CloseForRelease(); }, [this] { delete this; });
    }
    return remaining;
}

bool EngineBase::PostOrRun(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (worker_.IsRunning())
        return worker_.Post(message, wParam, lParam);
    // The command's own result, not the state afterwards: that may already
    // have moved on (a capture that failed at once), and the log is shared.
    return HandleMessage(ThreadMessage{message, wParam, lParam});
}

void EngineBase::SetCallback(EngineCallbackFunction function, uintptr_t context) {
    CriticalSectionLock guard(mainLock_);
    callback_.function = function;
    callback_.context = context;
}

void EngineBase::Notify(uint32_t event, bool success, uint32_t argument) {
    EngineCallback callback;
    {
        CriticalSectionLock guard(mainLock_);
        callback = callback_;
    }
    callback.Notify(this, event, success, argument);
}

void EngineBase::ReplaceHost(CodecHost* host) {
    if (host_)
        host_->Release();
    host_ = host;
}

AudioFilter* EngineBase::ChainHead(AudioFilter* tail) {
    AudioFilter* head = tail;
    head->AddRef();
    AudioFilter* source = nullptr;
    while (head->GetSource(&source) && source) {
        head->Release();
        head = source;
        source = nullptr;
    }
    return head;
}

} // namespace tonilo
