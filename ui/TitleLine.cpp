#include "ui/TitleLine.h"

#include "skin/SkinText.h"

namespace tonilo {

void TitleLine::Bind(SkinText* title, SkinText* info) {
    titleElement_ = title;
    infoElement_ = info;
    if (titleElement_)
        titleElement_->SetText(title_);
    if (infoElement_)
        infoElement_->SetText(message_);
    // A message still running when the skin changed keeps showing.
    if (titleElement_)
        titleElement_->Show(messageShown_ ? 0 : 1);
    if (infoElement_)
        infoElement_->Show(messageShown_ ? 1 : 0);
}

void TitleLine::SetTitle(const std::string& text) {
    title_ = text;
    if (titleElement_)
        titleElement_->SetText(text);
}

void TitleLine::ShowMessage(const std::string& text, bool timed) {
    timers_(kMessageTimer, 0);
    if (text.empty()) {
        RestoreTitle();
        return;
    }
    message_ = text;
    messageShown_ = true;
    if (infoElement_) {
        infoElement_->SetText(text);
        infoElement_->Show(1);
    }
    if (titleElement_)
        titleElement_->Show(0);
    if (timed)
        timers_(kMessageTimer, kMessageMs);
}

void TitleLine::OnTimer() {
    timers_(kMessageTimer, 0);
    RestoreTitle();
}

void TitleLine::RestoreTitle() {
    messageShown_ = false;
    message_.clear();
    if (infoElement_)
        infoElement_->Show(0);
    if (titleElement_)
        titleElement_->Show(1);
}

} // namespace tonilo
