#include "phone/ModemBridge.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <mutex>

#include "phone/CallNotifications.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

constexpr const char* kModemManager = "org.freedesktop.ModemManager1";
constexpr const char* kModemManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kVoiceInterface = "org.freedesktop.ModemManager1.Modem.Voice";
constexpr const char* kCallInterface = "org.freedesktop.ModemManager1.Call";

// Every signal ModemManager sends, and its coming and going on the bus.
int OnSignal(sd_bus_message*, void* user, sd_bus_error*) {
    *static_cast<bool*>(user) = true;
    return 0;
}

bool GetInt(sd_bus* bus, const std::string& path, const char* property, int32_t* value) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int result = sd_bus_get_property_trivial(bus, kModemManager, path.c_str(), kCallInterface,
                                             property, &error, 'i', value);
    sd_bus_error_free(&error);
    return result >= 0;
}

} // namespace

void WritePhoneState(const std::vector<ModemCall>& calls) {
    uint32_t count = 0;
    bool talking = false;
    const ModemCall* first = nullptr;
    for (const ModemCall& call : calls) {
        if (call.state == kModemCallTerminated || call.state == 0)
            continue;
        ++count;
        talking = talking || call.state == kModemCallActive;
        if (!first)
            first = &call;
    }
    RegistryKey phone(kPhoneStateKey, HKEY_LOCAL_MACHINE);
    if (!phone.Open(nullptr, true))
        return;
    // A missing value reads as 0: writing the idle state of a phone that never had
    // a call would start the program for nothing.
    auto writeNumber = [&](const char* name, uint32_t value) {
        uint32_t old = 0;
        phone.ReadNumber(name, &old);
        if (old != value)
            phone.WriteNumber(name, value);
    };
    if (first) {
        // The number is in place before the count makes the program read it.
        bool incoming = first->direction == kModemCallIncoming;
        phone.WriteString(incoming ? "Incoming Caller Number" : "Caller Number", first->number);
        phone.DeleteValue(incoming ? "Caller Number" : "Incoming Caller Number");
        phone.DeleteValue("Incoming Caller Name");
        phone.DeleteValue("Caller Name");
    }
    uint32_t status = 0;
    phone.ReadNumber(kPhoneStatusValue, &status);
    uint32_t newStatus = talking ? status | kPhoneStatusTalking : status & ~kPhoneStatusTalking;
    if (count == 0) {
        // Ending: stop the recording first, then the call is gone.
        writeNumber(kPhoneStatusValue, newStatus);
        writeNumber(kActiveCallCountValue, 0);
    } else {
        writeNumber(kActiveCallCountValue, count);
        writeNumber(kPhoneStatusValue, newStatus);
    }
}

ModemBridge::ModemBridge() {
    Connect();
}

bool ModemBridge::Connect() {
    const char* address = std::getenv("TONILO_MODEM_BUS");
    int result;
    if (address && *address) {
        result = sd_bus_new(&bus_);
        if (result >= 0) {
            sd_bus_set_address(bus_, address);
            sd_bus_set_bus_client(bus_, 1);
            result = sd_bus_start(bus_);
        }
    } else {
        result = sd_bus_open_system(&bus_);
    }
    if (result < 0) {
        bus_ = sd_bus_unref(bus_);
        return false;
    }
    std::string rule = std::string("type='signal',sender='") + kModemManager + "'";
    sd_bus_add_match(bus_, nullptr, rule.c_str(), OnSignal, &changed_);
    sd_bus_add_match(bus_, &match_,
                     "type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
                     "arg0='org.freedesktop.ModemManager1'",
                     OnSignal, &changed_);
    changed_ = true;
    return true;
}

void ModemBridge::Disconnect() {
    match_ = sd_bus_slot_unref(match_);
    sd_bus_flush_close_unref(bus_);
    bus_ = nullptr;
}

ModemBridge::~ModemBridge() {
    Disconnect();
}

int ModemBridge::Descriptor() const {
    return bus_ ? sd_bus_get_fd(bus_) : -1;
}

int ModemBridge::Events() const {
    return bus_ ? sd_bus_get_events(bus_) : 0;
}

namespace {

uint64_t MonotonicMicroseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int MillisecondsUntil(uint64_t usec) {
    uint64_t nowUsec = MonotonicMicroseconds();
    return usec <= nowUsec ? 0 : static_cast<int>((usec - nowUsec + 999) / 1000);
}

} // namespace

int ModemBridge::TimeoutMs() const {
    if (!bus_)
        return reconnectAt_ ? MillisecondsUntil(reconnectAt_) : -1;
    // sd-bus gives an absolute monotonic time; 0 means at once.
    uint64_t usec;
    if (sd_bus_get_timeout(bus_, &usec) < 0 || usec == UINT64_MAX)
        return -1;
    return MillisecondsUntil(usec);
}

void ModemBridge::Process() {
    if (!bus_) {
        if (!reconnectAt_ || MonotonicMicroseconds() < reconnectAt_)
            return;
        reconnectAt_ = Connect() ? 0 : MonotonicMicroseconds() + kReconnectMicroseconds;
        if (!bus_)
            return;
    }
    int result;
    while ((result = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (result < 0) {
        // The bus went away (a restart of the system bus): a hung-up descriptor
        // would wake the service's poll for ever, so it is dropped and tried
        // again later. Calls it reported can no longer end through it.
        Disconnect();
        reconnectAt_ = MonotonicMicroseconds() + kReconnectMicroseconds;
        if (hadModem_)
            WritePhoneState({});
        hadModem_ = false;
        return;
    }
    if (!changed_)
        return;
    changed_ = false;
    // Without ModemManager the phone state belongs to whoever else writes it (a
    // test, another bridge); once it was seen, its going away ends its calls.
    std::vector<std::string> modems = VoiceModems();
    if (modems.empty() && !hadModem_)
        return;
    hadModem_ = !modems.empty();
    WritePhoneState(CallsOf(modems));
}

std::vector<std::string> ModemBridge::VoiceModems() {
    std::vector<std::string> modems;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_call_method(bus_, kModemManager, kModemManagerPath,
                           "org.freedesktop.DBus.ObjectManager", "GetManagedObjects", &error,
                           &reply, "") < 0) {
        sd_bus_error_free(&error);
        return modems;
    }
    // a{oa{sa{sv}}}: keep the objects that have the voice interface.
    if (sd_bus_message_enter_container(reply, 'a', "{oa{sa{sv}}}") > 0) {
        while (sd_bus_message_enter_container(reply, 'e', "oa{sa{sv}}") > 0) {
            const char* path = nullptr;
            sd_bus_message_read(reply, "o", &path);
            bool voice = false;
            if (sd_bus_message_enter_container(reply, 'a', "{sa{sv}}") > 0) {
                while (sd_bus_message_enter_container(reply, 'e', "sa{sv}") > 0) {
                    const char* interface = nullptr;
                    sd_bus_message_read(reply, "s", &interface);
                    voice = voice || (interface && std::string(interface) == kVoiceInterface);
                    sd_bus_message_skip(reply, "a{sv}");
                    sd_bus_message_exit_container(reply);
                }
                sd_bus_message_exit_container(reply);
            }
            if (voice && path)
                modems.push_back(path);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_exit_container(reply);
    }
    sd_bus_message_unref(reply);
    return modems;
}

bool ModemBridge::HasVoiceModem() {
    return bus_ && !VoiceModems().empty();
}

std::vector<ModemCall> ModemBridge::Calls() {
    return bus_ ? CallsOf(VoiceModems()) : std::vector<ModemCall>();
}

std::vector<ModemCall> ModemBridge::CallsOf(const std::vector<std::string>& modems) {
    std::vector<ModemCall> calls;
    for (const std::string& modem : modems) {
        sd_bus_message* reply = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        if (sd_bus_get_property(bus_, kModemManager, modem.c_str(), kVoiceInterface, "Calls",
                                &error, &reply, "ao") < 0) {
            sd_bus_error_free(&error);
            continue;
        }
        std::vector<std::string> paths;
        if (sd_bus_message_enter_container(reply, 'a', "o") > 0) {
            const char* path = nullptr;
            while (sd_bus_message_read(reply, "o", &path) > 0)
                paths.push_back(path);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_unref(reply);
        for (const std::string& path : paths) {
            ModemCall call;
            if (!GetInt(bus_, path, "State", &call.state))
                continue;
            GetInt(bus_, path, "Direction", &call.direction);
            char* number = nullptr;
            sd_bus_error numberError = SD_BUS_ERROR_NULL;
            if (sd_bus_get_property_string(bus_, kModemManager, path.c_str(), kCallInterface,
                                           "Number", &numberError, &number) >= 0 &&
                number)
                call.number = number;
            std::free(number);
            sd_bus_error_free(&numberError);
            calls.push_back(call);
        }
    }
    return calls;
}

bool PhonePresent(const std::string& settingsKeyPath) {
    static std::once_flag once;
    static bool present = false;
    std::call_once(once, [&] {
        RegistryKey settings(settingsKeyPath.c_str(), HKEY_LOCAL_MACHINE);
        uint32_t forced = 0;
        if (settings.Open() && settings.ReadNumber("PhonePresent", &forced) && forced == 1) {
            present = true;
            return;
        }
        ModemBridge bridge;
        present = bridge.HasVoiceModem();
    });
    return present;
}

} // namespace tonilo
