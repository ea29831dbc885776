#pragma once
// What the Player and the Recorder share: the reference count whose final
// release closes through the worker (or at once without one), the callback and
// its notification, the host, the two locks, the state word, and the walk from
// a chain's tail to its head.
//
// Locks: the main lock covers the state, the callback and the chain calls; the
// codec lock covers every codec call and is taken inside the main lock.
#include <atomic>
#include <cstdint>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/CodecHost.h"
#include "Libs/ToniloLib/Src/components/DeviceSink.h"
#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "Libs/ToniloLib/Src/worker/EngineWorker.h"
#include "codecs/include/RefCounted.h"
#include "platform/CriticalSection.h"

namespace tonilo {

class EngineBase : public DeviceSink, private RefCounted {
public:
    uint32_t AddRef();
    // The final release closes (ENGINE_COMMAND_CLOSE on the worker, or
    // CloseForRelease here without one) and destroys the engine.
    uint32_t Release();
    void SetCallback(EngineCallbackFunction function, uintptr_t context);

protected:
    // Created with the caller's reference.
    EngineBase() : RefCounted(1) {}
    // Releases the host, after the derived engine has let go of its codecs.
    ~EngineBase() override;

    // Runs one command; its result is the command's.
    virtual bool HandleMessage(const ThreadMessage& message) = 0;
    // What ENGINE_COMMAND_CLOSE does, run on the releasing thread when the
    // engine has no worker.
    virtual void CloseForRelease() = 0;
    // Posts the command to the worker (the result says whether it was
    // posted), or without a worker runs it at once and returns its own result.
    bool PostOrRun(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Calls back outside the main lock with the callback read under it.
    void Notify(uint32_t event, bool success, uint32_t argument = 0);
    // Takes over the host reference and lets go of the previous host.
    void ReplaceHost(CodecHost* host);
    // The chain's first filter, with a reference for the caller.
    static AudioFilter* ChainHead(AudioFilter* tail);

    CodecHost* host_ = nullptr;
    CriticalSection codecLock_;
    CriticalSection mainLock_;
    std::atomic<uint32_t> state_{STATE_CLOSED};
    EngineCallback callback_;
    EngineWorker worker_;
};

} // namespace tonilo
