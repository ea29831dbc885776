#pragma once
// The phone-state bridge: follows ModemManager's voice calls on the system bus
// and writes what a call looks like into "System\State\Phone": the caller's
// number first, then "Active Call Count", then "Status" with the talking bit.
// The registry notifications on those values start the program's call verbs.
// When ModemManager goes away (or restarts) mid-call, or the bus itself hangs up,
// the calls it had count as ended, so a recording is never left running.
#include <cstdint>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace tonilo {

// What the bridge knows of one call.
struct ModemCall {
    int32_t state = 0;     // ModemManager's call state: 3 ringing in, 4 active, 7 terminated ...
    int32_t direction = 0; // 1 incoming, 2 outgoing
    std::string number;
};

constexpr int32_t kModemCallActive = 4;
constexpr int32_t kModemCallTerminated = 7;
constexpr int32_t kModemCallIncoming = 1;

// Writes the phone-state values for the calls, skipping the values that stay
// as they are, so a notification fires only for a real change.
void WritePhoneState(const std::vector<ModemCall>& calls);

class ModemBridge {
public:
    // Connects to $TONILO_MODEM_BUS (a bus address, for tests), else the system
    // bus. Without a bus the bridge stays idle.
    ModemBridge();
    ~ModemBridge();
    ModemBridge(const ModemBridge&) = delete;
    ModemBridge& operator=(const ModemBridge&) = delete;

    bool Connected() const { return bus_ != nullptr; }
    int Descriptor() const;
    int Events() const;
    int TimeoutMs() const;
    // Handles what arrived on the bus and brings the phone state up to date.
    void Process();

    // Whether ModemManager offers a modem with voice calls.
    bool HasVoiceModem();
    // The calls of every voice modem; empty without ModemManager.
    std::vector<ModemCall> Calls();

private:
    // A lost bus is tried again after this long.
    static constexpr uint64_t kReconnectMicroseconds = 5000000;

    bool Connect();
    void Disconnect();
    std::vector<std::string> VoiceModems();
    std::vector<ModemCall> CallsOf(const std::vector<std::string>& modems);

    sd_bus* bus_ = nullptr;
    sd_bus_slot* match_ = nullptr;
    bool changed_ = true;
    bool hadModem_ = false;
    uint64_t reconnectAt_ = 0; // monotonic microseconds; 0 while connected or never connected
};

// True when ModemManager offers a modem with voice, or when the program's
// settings value "PhonePresent" is 1 (tests and phones with another bridge).
// Computed once.
bool PhonePresent(const std::string& settingsKeyPath);

} // namespace tonilo
