#pragma once
// The title line: the current file's name in `Title`, and temporary messages in
// `Info` shown in its place, timed ones for 1500 ms (timer 1214).
#include <cstdint>
#include <functional>
#include <string>

namespace tonilo {

class SkinText;

constexpr uint32_t kMessageTimer = 1214;
constexpr uint32_t kMessageMs = 1500;

class TitleLine {
public:
    using TimerControl = std::function<void(uint32_t id, uint32_t milliseconds)>; // 0 ms: kill

    explicit TitleLine(TimerControl timers) : timers_(std::move(timers)) {}

    // After a skin (re)load: the title shows, the message line hides.
    void Bind(SkinText* title, SkinText* info);
    void SetTitle(const std::string& text);
    const std::string& Title() const { return title_; }
    // An empty text restores the title at once.
    void ShowMessage(const std::string& text, bool timed);
    void OnTimer();
    bool MessageShown() const { return messageShown_; }
    const std::string& Message() const { return message_; }

    // "Recording started" was shown (so that "Recording stopped" follows it).
    bool startShown = false;

private:
    void RestoreTitle();

    TimerControl timers_;
    SkinText* titleElement_ = nullptr;
    SkinText* infoElement_ = nullptr;
    std::string title_;
    std::string message_;
    bool messageShown_ = false;
};

} // namespace tonilo
