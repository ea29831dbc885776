#include "Libs/ToniloLib/Src/worker/StateRendezvous.h"

#include <chrono>

namespace tonilo {

void StateRendezvous::ParkWorker(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    parked_ = true;
    released_ = false;
    ++parkings_;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return released_; });
    parked_ = false;
}

bool StateRendezvous::WaitForWorker(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    bool arrived = changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [this] { return parkings_ > collected_; });
    if (arrived)
        collected_ = parkings_;
    return arrived;
}

void StateRendezvous::ReleaseWorker() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (parked_)
        released_ = true;
    changed_.notify_all();
}

} // namespace tonilo
