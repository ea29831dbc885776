// Any bytes as a schedule file: loading must never crash, and what loads must
// write back into a file that loads to the same list.
#include <cstdint>
#include <cstdlib>

#include "scheduler/Scheduler.h"

namespace {

tonilo::LocalTime FixedNow() {
    tonilo::LocalTime now;
    tonilo::ParseLocalTime("2009-03-01 08:00", &now);
    return now;
}

void Prepare(tonilo::Scheduler* scheduler) {
    // A path that never exists, so only the bytes given here are read.
    scheduler->Initialise("/nonexistent/tonilo", "/nonexistent/tonilo.sch");
    scheduler->SetClock(FixedNow);
    scheduler->RegisterAction(tonilo::MakeRecordAction());
    scheduler->RegisterAction(tonilo::MakePlayAction());
    scheduler->Load();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonilo::Scheduler scheduler;
    Prepare(&scheduler);
    scheduler.Parse(data, size);
    std::string written = scheduler.Serialise();
    tonilo::Scheduler reloaded;
    Prepare(&reloaded);
    reloaded.Parse(reinterpret_cast<const uint8_t*>(written.data()), written.size());
    if (reloaded.Serialise() != written)
        std::abort();
    return 0;
}
