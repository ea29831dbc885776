#include "platform/window/ImGuiOverlay.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>
#include <cmath>

#include "platform/input/SdlKeyMap.h"
#include "platform/window/TtfTextRenderer.h"

namespace tonilo {
namespace {

constexpr ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                    ImGuiWindowFlags_NoSavedSettings |
                                    ImGuiWindowFlags_NoFocusOnAppearing;
const char* kMenuPopup = "##menu";
const char* kQuestionPopup = "##question";
const char* kChooserPopup = "##chooser";
const char* kTextPopup = "##text";
// A file name's limit in bytes of UTF-8 (260 characters of up to four bytes).
constexpr size_t kTextCapacity = 260 * 4;

bool Pressed(ImGuiKey key) {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false);
}

bool IsHardwareButtonKey(SDL_Keycode key) {
    constexpr uint32_t kFirstButton = 193, kButtons = 15; // the application buttons
    uint32_t virtualKey = VirtualKeyForSdl(key);
    return virtualKey >= kFirstButton && virtualKey < kFirstButton + kButtons;
}

} // namespace

ImGuiOverlay::~ImGuiOverlay() {
    if (!initialised_)
        return;
    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

bool ImGuiOverlay::Init(SDL_Window* window, SDL_Renderer* renderer, const OverlayTexts& texts) {
    window_ = window;
    texts_ = texts;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing of the overlay is kept between runs
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    ImGui::StyleColorsDark();
    if (!ImGui_ImplSDL2_InitForSDLRenderer(window) || !ImGui_ImplSDLRenderer_Init(renderer)) {
        ImGui::DestroyContext();
        return false;
    }
    fontFile_ = TtfTextRenderer::FindFontFile("DejaVu Sans", 400);
    initialised_ = true;
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    Resize(w, h);
    return true;
}

void ImGuiOverlay::Resize(int32_t width, int32_t height) {
    if (!initialised_ || (width == width_ && height == height_))
        return;
    width_ = width;
    height_ = height;
    // A finger's width on a phone, a comfortable size on a desktop.
    // Whole pixels: with fractions a menu's fitted size falls short of its rows
    // by a rounding and a needless scroll bar shows.
    float pixels = std::round(std::clamp(static_cast<float>(height) / 30.0f, 13.0f, 26.0f));
    SetBarRoom(barRoom_);
    if (pixels == fontPixels_ && ImGui::GetIO().Fonts->IsBuilt())
        return;
    fontPixels_ = pixels;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    if (fontFile_.empty() || !io.Fonts->AddFontFromFileTTF(fontFile_.c_str(), pixels))
        io.Fonts->AddFontDefault();
    ImGui_ImplSDLRenderer_DestroyFontsTexture();
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    ImGui::StyleColorsDark(&style);
    style.FramePadding = ImVec2(std::round(pixels * 0.6f), std::round(pixels * 0.45f));
    style.ItemSpacing = ImVec2(std::round(pixels * 0.5f), std::round(pixels * 0.5f));
    style.WindowPadding = style.ItemSpacing;
    style.PopupRounding = style.FrameRounding = pixels * 0.2f;
    style.ScrollbarSize = pixels * 1.2f;
    // SDL's software renderer shades the two halves of a textured line unevenly.
    style.AntiAliasedLinesUseTex = false;
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.09f, 0.10f, 0.12f, 0.96f);
    // Popups over busy skins (menus, questions, choosers) read better solid.
    style.Colors[ImGuiCol_PopupBg].w = 1;
}

void ImGuiOverlay::SetBarRoom(int32_t pixels) {
    barRoom_ = pixels;
    float font = std::clamp(static_cast<float>(height_) / 30.0f, 13.0f, 26.0f);
    float wanted = font * 2.2f;
    if (pixels > 0)
        wanted = std::clamp(static_cast<float>(pixels), font * 1.6f, wanted);
    barHeight_ = static_cast<int32_t>(wanted);
}

// Over a dialog the skin's controls do not show: its keys take a finger's full height.
int32_t ImGuiOverlay::ShownBarHeight() const {
    return dialogs_.Empty() ? barHeight_
                            : std::max(barHeight_, static_cast<int32_t>(fontPixels_ * 2.2f));
}

bool ImGuiOverlay::OnBar(int32_t x, int32_t y) const {
    return BarDrawn() && y >= height_ - ShownBarHeight() && y < height_ && x >= 0 && x < width_;
}

bool ImGuiOverlay::Busy() const {
    return menuOpen_ || openRequested_ || !questions_.empty() || !choosers_.empty() ||
           !textQuestions_.empty() || !dialogs_.Empty();
}

bool ImGuiOverlay::DialogTakesKeys() const {
    const Dialog* top = dialogs_.Top();
    return top && top->TakesHardwareKeys() && questions_.empty() && choosers_.empty() &&
           textQuestions_.empty();
}

bool ImGuiOverlay::ProcessEvent(const SDL_Event& event) {
    if (!initialised_)
        return false;
    // Key presses for the hardware buttons never reach the controls; releases
    // do, so that no key stays held for ImGui.
    if ((event.type == SDL_KEYDOWN || event.type == SDL_TEXTINPUT) && DialogTakesKeys())
        return false;
    // The hardware buttons' own keys (media and launcher keys) work whatever
    // is open, as hot keys do; no control uses them.
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
        IsHardwareButtonKey(event.key.keysym.sym))
        return false;
    // ImGui reads whether a key is down once a frame: a key pressed and let go
    // between two frames is let go only after the next one, so it is not lost.
    if (event.type == SDL_KEYDOWN)
        pressedSinceFrame_.push_back(event.key.keysym.scancode);
    if (event.type == SDL_KEYUP &&
        std::find(pressedSinceFrame_.begin(), pressedSinceFrame_.end(),
                  event.key.keysym.scancode) != pressedSinceFrame_.end()) {
        heldReleases_.push_back(event);
        wantsFrame_ = true;
    } else {
        HandToImGui(event);
    }
    // Where the pointer is, as the window's own events tell it: SDL's global
    // pointer state lags behind a drag on some X servers.
    if (event.type == SDL_MOUSEMOTION) {
        pointerX_ = static_cast<float>(event.motion.x);
        pointerY_ = static_cast<float>(event.motion.y);
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        pointerX_ = static_cast<float>(event.button.x);
        pointerY_ = static_cast<float>(event.button.y);
    }
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return Busy() || OnBar(event.button.x, event.button.y);
    case SDL_MOUSEMOTION:
        return Busy() || OnBar(event.motion.x, event.motion.y);
    case SDL_MOUSEWHEEL:
    case SDL_TEXTINPUT:
        return Busy();
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return Busy() && !DialogTakesKeys();
    default:
        return false;
    }
}

void ImGuiOverlay::SetSoftKeys(const SoftKey& left, const std::string& rightText,
                               const Menu& menu) {
    left_ = left;
    rightText_ = rightText;
    barMenu_ = menu;
}

void ImGuiOverlay::Popup(const Menu& menu, int32_t x, int32_t y) {
    openMenu_ = menu;
    popupX_ = static_cast<float>(x);
    popupY_ = static_cast<float>(y);
    openRequested_ = true;
}

void ImGuiOverlay::Ask(const std::string& text, const std::string& title, QuestionButtons buttons,
                       std::function<void(QuestionAnswer)> answered) {
    questions_.push_back(
        Question{text, title.empty() ? texts_.title : title, buttons, std::move(answered)});
}

void ImGuiOverlay::ChooseFolder(const std::string& title, const std::string& start,
                                std::function<void(const std::string&)> chosen) {
    choosers_.emplace_back(FileChooser::Kind::Folder, title, start, std::vector<std::string>{},
                           std::move(chosen));
}

void ImGuiOverlay::ChooseFile(const std::string& title, const std::string& start, bool save,
                              const std::vector<std::string>& extensions,
                              std::function<void(const std::string&)> chosen) {
    choosers_.emplace_back(save ? FileChooser::Kind::Save : FileChooser::Kind::Open, title, start,
                           extensions, std::move(chosen));
}

void ImGuiOverlay::OpenDialog(std::unique_ptr<Dialog> dialog) {
    dialogs_.Open(std::move(dialog));
    wantsFrame_ = true;
}

void ImGuiOverlay::ShowPopup(const char* id) {
    if (ImGui::IsPopupOpen(id))
        return;
    ImGui::OpenPopup(id);
    wantsFrame_ = true;
}

void ImGuiOverlay::AskText(const std::string& title, const std::string& text,
                           std::function<void(const std::string* edited)> answered) {
    TextQuestion question{title, std::vector<char>(kTextCapacity + 1, '\0'), std::move(answered)};
    std::copy_n(text.begin(), std::min(text.size(), kTextCapacity), question.buffer.begin());
    textQuestions_.push_back(std::move(question));
}

void ImGuiOverlay::MovePointer(int32_t x, int32_t y) {
    pointerX_ = static_cast<float>(x);
    pointerY_ = static_cast<float>(y);
}

void ImGuiOverlay::Draw() {
    if (!initialised_)
        return;
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    if (pointerX_ >= 0)
        ImGui::GetIO().MousePos = ImVec2(pointerX_, pointerY_);
    ImGui::NewFrame();
    // Nothing over the dialog: its keys are its own.
    bool dialogKeys =
        !menuOpen_ && questions_.empty() && choosers_.empty() && textQuestions_.empty();
    dialogs_.Draw(static_cast<float>(width_), static_cast<float>(height_ - ShownBarHeight()),
                  fontPixels_, dialogKeys);
    DrawBar();
    DrawMenus();
    DrawQuestion();
    DrawChooser();
    DrawTextQuestion();
    ImGui::Render();
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    std::vector<std::function<void()>> deferred;
    deferred.swap(deferred_);
    if (!deferred.empty())
        wantsFrame_ = true;
    for (auto& call : deferred)
        call();
    if (dialogs_.EndFrame())
        wantsFrame_ = true;
    pressedSinceFrame_.clear();
    for (const SDL_Event& release : heldReleases_)
        HandToImGui(release);
    heldReleases_.clear();
}

void ImGuiOverlay::HandToImGui(const SDL_Event& event) {
    ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)
        return;
    // The modifiers as they were with this key: the back end asks SDL for
    // them now, when a Ctrl released just after Ctrl+A may already be read.
    ImGuiIO& io = ImGui::GetIO();
    const uint16_t mod = event.key.keysym.mod;
    io.KeyCtrl = (mod & KMOD_CTRL) != 0;
    io.KeyShift = (mod & KMOD_SHIFT) != 0;
    io.KeyAlt = (mod & KMOD_ALT) != 0;
    io.KeySuper = (mod & KMOD_GUI) != 0;
}

void ImGuiOverlay::DrawBar() {
    if (!BarDrawn())
        return;
    ImGui::SetNextWindowPos(ImVec2(0, static_cast<float>(height_ - ShownBarHeight())));
    ImGui::SetNextWindowSize(
        ImVec2(static_cast<float>(width_), static_cast<float>(ShownBarHeight())));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
    // Keys never move the focus onto the bar: Enter and Escape stand for its keys.
    ImGui::Begin("##softkeys", nullptr,
                 kFixed | ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoNav);
    if (!dialogs_.Empty()) {
        DrawDialogKeys(static_cast<float>(width_), static_cast<float>(ShownBarHeight()));
        ImGui::End();
        ImGui::PopStyleVar(3);
        return;
    }
    ImVec2 half(static_cast<float>(width_) / 2, static_cast<float>(ShownBarHeight()));
    if (!left_.enabled)
        ImGui::BeginDisabled();
    if (ImGui::Button((left_.text + "##left").c_str(), half) && left_.command) {
        uint32_t command = left_.command;
        deferred_.push_back([this, command] {
            if (onCommand)
                onCommand(command);
        });
    }
    if (!left_.enabled)
        ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button((rightText_ + "##right").c_str(), half)) {
        openMenu_ = barMenu_;
        if (onMenuOpening)
            onMenuOpening(&openMenu_);
        // The menu grows up from the bar's right end.
        popupX_ = static_cast<float>(width_);
        popupY_ = static_cast<float>(height_ - barHeight_);
        openRequested_ = true;
    }
    ImGui::End();
    ImGui::PopStyleVar(3);
}

// A dialog's keys: OK on the left and Cancel on the right, or one of them
// over the whole bar.
void ImGuiOverlay::DrawDialogKeys(float width, float height) {
    const Dialog* top = dialogs_.Top();
    if (!top)
        return; // it opens with the next frame
    DialogKeys keys = top->Keys();
    bool ok = keys != DialogKeys::CancelOnly;
    bool cancel = keys != DialogKeys::Close;
    ImVec2 size(ok && cancel ? width / 2 : width, height);
    std::string okText = top->OkText();
    if (ok && ImGui::Button(((okText.empty() ? texts_.ok : okText) + "##dialogok").c_str(), size))
        dialogs_.Ok();
    if (ok && cancel)
        ImGui::SameLine();
    if (cancel && ImGui::Button((texts_.cancel + "##dialogcancel").c_str(), size))
        dialogs_.Cancel();
}

bool ImGuiOverlay::DrawItems(const Menu& menu, uint32_t* chosen) {
    for (const MenuItem& item : menu) {
        if (item.separator) {
            ImGui::Separator();
        } else if (item.id == 0 || !item.children.empty()) {
            if (ImGui::BeginMenu(item.text.c_str(), item.enabled && !item.children.empty())) {
                DrawItems(item.children, chosen);
                ImGui::EndMenu();
            }
        } else if (ImGui::MenuItem(item.text.c_str(), nullptr, item.checked, item.enabled)) {
            *chosen = item.id;
        }
    }
    return *chosen != 0;
}

void ImGuiOverlay::DrawMenus() {
    if (openRequested_) {
        openRequested_ = false;
        // Kept inside the window: pivot at the right or bottom edge when near it.
        ImVec2 pivot(popupX_ > width_ * 0.6f ? 1.0f : 0.0f, popupY_ > height_ * 0.6f ? 1.0f : 0.0f);
        ImGui::SetNextWindowPos(ImVec2(popupX_, popupY_), ImGuiCond_Always, pivot);
        // On a small screen a long menu scrolls rather than running off the top.
        menuRoom_ = pivot.y > 0 ? popupY_ : static_cast<float>(height_) - popupY_;
        ImGui::OpenPopup(kMenuPopup);
        wantsFrame_ = true;
    }
    bool wasOpen = menuOpen_;
    // Rows a finger can hit apart.
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing,
                        ImVec2(std::round(fontPixels_ * 0.5f), std::round(fontPixels_ * 0.8f)));
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0),
                                        ImVec2(static_cast<float>(width_), menuRoom_));
    menuOpen_ = ImGui::BeginPopup(kMenuPopup);
    if (menuOpen_ != wasOpen)
        wantsFrame_ = true;
    if (!menuOpen_) {
        ImGui::PopStyleVar();
        return;
    }
    uint32_t chosen = 0;
    if (DrawItems(openMenu_, &chosen)) {
        ImGui::CloseCurrentPopup();
        deferred_.push_back([this, chosen] {
            if (onCommand)
                onCommand(chosen);
        });
    }
    ImGui::EndPopup();
    ImGui::PopStyleVar();
}

void ImGuiOverlay::DrawQuestion() {
    if (questions_.empty())
        return;
    Question& question = questions_.front();
    ShowPopup(kQuestionPopup);
    ImGui::SetNextWindowPos(ImVec2(width_ * 0.5f, height_ * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width_ * 0.9f, 0));
    if (!ImGui::BeginPopupModal(kQuestionPopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return;
    QuestionText(question.title, question.text);
    std::vector<RowButton> buttons;
    std::vector<QuestionAnswer> answers;
    if (question.buttons == QuestionButtons::Ok) {
        buttons = {{&texts_.ok}};
        answers = {QuestionAnswer::Ok};
    } else {
        buttons = {{&texts_.yes}, {&texts_.no}};
        answers = {QuestionAnswer::Yes, QuestionAnswer::No};
        if (question.buttons == QuestionButtons::YesNoCancel) {
            buttons.push_back({&texts_.cancel});
            answers.push_back(QuestionAnswer::Cancel);
        }
    }
    int pressed = ButtonRow(buttons, fontPixels_ * 2.2f);
    // A message of one button also goes with Enter or Escape, but not with
    // the key that brought it up (a dialog's refused OK).
    if (pressed < 0 && question.buttons == QuestionButtons::Ok && !ImGui::IsWindowAppearing() &&
        (Pressed(ImGuiKey_Enter) || Pressed(ImGuiKey_Escape)))
        pressed = 0;
    if (pressed >= 0) {
        auto answered = std::move(question.answered);
        QuestionAnswer answer = answers[static_cast<size_t>(pressed)];
        questions_.pop_front();
        wantsFrame_ = true;
        ImGui::CloseCurrentPopup();
        if (answered)
            deferred_.push_back([answered, answer] { answered(answer); });
    }
    ImGui::EndPopup();
}

void ImGuiOverlay::DrawChooser() {
    if (choosers_.empty() || !questions_.empty())
        return;
    ShowPopup(kChooserPopup);
    ImGui::SetNextWindowPos(ImVec2(width_ * 0.5f, height_ * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width_ * 0.96f, height_ * 0.9f));
    if (!ImGui::BeginPopupModal(kChooserPopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return;
    std::string result;
    if (choosers_.front().Draw(texts_, fontPixels_, &result)) {
        auto chosen = choosers_.front().TakeCallback();
        choosers_.pop_front();
        wantsFrame_ = true;
        ImGui::CloseCurrentPopup();
        if (chosen)
            deferred_.push_back([chosen, result] { chosen(result); });
    }
    ImGui::EndPopup();
}

void ImGuiOverlay::DrawTextQuestion() {
    if (textQuestions_.empty() || !questions_.empty() || !choosers_.empty())
        return;
    TextQuestion& question = textQuestions_.front();
    ShowPopup(kTextPopup);
    ImGui::SetNextWindowPos(ImVec2(width_ * 0.5f, height_ * 0.3f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width_ * 0.9f, 0));
    if (!ImGui::BeginPopupModal(kTextPopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return;
    ImGui::TextUnformatted(question.title.c_str());
    ImGui::Separator();
    if (ImGui::IsWindowAppearing())
        ImGui::SetKeyboardFocusHere();
    ImGui::SetNextItemWidth(-1);
    bool entered =
        ImGui::InputText("##edit", question.buffer.data(), question.buffer.size(),
                         ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll);
    ImGui::Spacing();
    int pressed = ButtonRow({{&texts_.ok}, {&texts_.cancel}}, fontPixels_ * 2.2f);
    bool ok = pressed == 0 || entered;
    bool cancel = pressed == 1 || (Pressed(ImGuiKey_Escape) && !ImGui::IsWindowAppearing());
    if (ok || cancel) {
        auto answered = std::move(question.answered);
        std::string edited(question.buffer.data());
        textQuestions_.pop_front();
        wantsFrame_ = true;
        ImGui::CloseCurrentPopup();
        if (answered)
            deferred_.push_back([answered, edited, ok] { answered(ok ? &edited : nullptr); });
    }
    ImGui::EndPopup();
}

} // namespace tonilo
