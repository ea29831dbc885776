#pragma once
// A window host that writes down what the window asks of it: running timers and
// every period they were set to, the soft keys, popups, questions, blanking.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/WindowHost.h"

namespace tonilo::test {

class FakeWindowHost : public WindowHost {
public:
    void SetTimer(uint32_t id, uint32_t milliseconds) override {
        timers[id] = milliseconds;
        timerLog.emplace_back(id, milliseconds);
    }
    void KillTimer(uint32_t id) override { timers.erase(id); }
    void SetSoftKeys(const SoftKey& left, const std::string& rightText, const Menu& menu) override {
        softKey = left;
        rightKey = rightText;
    }
    void ShowSoftKeys(bool show) override { softKeysShown = show; }
    void PopupMenu(const Menu& menu, int32_t x, int32_t y) override {
        popup = menu;
        popupAt = {x, y};
    }
    void Ask(const std::string& text, const std::string& title, QuestionButtons,
             std::function<void(QuestionAnswer)> answered) override {
        questions.push_back(text);
    }
    void ChooseFolder(const std::string&, const std::string&,
                      std::function<void(const std::string&)>) override {}
    void SetBlank(bool on) override { blank = on; }
    void ShowPage(SkinFrame* page) override { shownPage = page; }
    void BringToFront() override { ++broughtForward; }
    void Quit() override { quit = true; }

    bool Runs(uint32_t id) const { return timers.count(id) != 0; }
    uint32_t Period(uint32_t id) const { return Runs(id) ? timers.at(id) : 0; }

    std::map<uint32_t, uint32_t> timers;
    std::vector<std::pair<uint32_t, uint32_t>> timerLog;
    SoftKey softKey;
    std::string rightKey;
    bool softKeysShown = true;
    Menu popup;
    std::pair<int32_t, int32_t> popupAt{-1, -1};
    std::vector<std::string> questions;
    bool blank = false;
    SkinFrame* shownPage = nullptr;
    int broughtForward = 0;
    bool quit = false;
};

} // namespace tonilo::test
