#include "platform/window/ImGuiOverlay.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/window/TtfTextRenderer.h"

namespace tonilo {
namespace {

constexpr ImGuiWindowFlags kFixed = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                    ImGuiWindowFlags_NoSavedSettings |
                                    ImGuiWindowFlags_NoFocusOnAppearing;
const char* kMenuPopup = "##menu";
const char* kQuestionPopup = "##question";
const char* kFolderPopup = "##folder";
const char* kTextPopup = "##text";
// A file name's limit in bytes of UTF-8 (260 characters of up to four bytes).
constexpr size_t kTextCapacity = 260 * 4;

std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (!name.empty() && name[0] != '.' && entry.is_directory(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
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
    float pixels = std::clamp(static_cast<float>(height) / 30.0f, 13.0f, 26.0f);
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
    style.FramePadding = ImVec2(pixels * 0.6f, pixels * 0.45f);
    style.ItemSpacing = ImVec2(pixels * 0.5f, pixels * 0.5f);
    style.WindowPadding = ImVec2(pixels * 0.5f, pixels * 0.5f);
    style.PopupRounding = style.FrameRounding = pixels * 0.2f;
    style.ScrollbarSize = pixels * 1.2f;
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.09f, 0.10f, 0.12f, 0.96f);
}

void ImGuiOverlay::SetBarRoom(int32_t pixels) {
    barRoom_ = pixels;
    float font = std::clamp(static_cast<float>(height_) / 30.0f, 13.0f, 26.0f);
    float wanted = font * 2.2f;
    if (pixels > 0)
        wanted = std::clamp(static_cast<float>(pixels), font * 1.6f, wanted);
    barHeight_ = static_cast<int32_t>(wanted);
}

bool ImGuiOverlay::OnBar(int32_t x, int32_t y) const {
    return barShown_ && y >= height_ - barHeight_ && y < height_ && x >= 0 && x < width_;
}

bool ImGuiOverlay::Busy() const {
    return menuOpen_ || openRequested_ || questionOpen_ || !questions_.empty() || folderOpen_ ||
           !folders_.empty() || textOpen_ || !textQuestions_.empty();
}

bool ImGuiOverlay::ProcessEvent(const SDL_Event& event) {
    if (!initialised_)
        return false;
    ImGui_ImplSDL2_ProcessEvent(&event);
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
        return Busy();
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
    std::error_code error;
    std::string folder = std::filesystem::is_directory(start, error) ? start : "/";
    folders_.push_back(FolderChoice{title, folder, std::move(chosen)});
}

void ImGuiOverlay::AskText(const std::string& title, const std::string& text,
                           std::function<void(const std::string* edited)> answered) {
    TextQuestion question{title, std::vector<char>(kTextCapacity + 1, '\0'), std::move(answered)};
    std::copy_n(text.begin(), std::min(text.size(), kTextCapacity), question.buffer.begin());
    textQuestions_.push_back(std::move(question));
}

void ImGuiOverlay::Draw() {
    if (!initialised_)
        return;
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    DrawBar();
    DrawMenus();
    DrawQuestion();
    DrawFolderChooser();
    DrawTextQuestion();
    ImGui::Render();
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    std::vector<std::function<void()>> deferred;
    deferred.swap(deferred_);
    if (!deferred.empty())
        wantsFrame_ = true;
    for (auto& call : deferred)
        call();
}

void ImGuiOverlay::DrawBar() {
    if (!barShown_)
        return;
    ImGui::SetNextWindowPos(ImVec2(0, static_cast<float>(height_ - barHeight_)));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width_), static_cast<float>(barHeight_)));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
    ImGui::Begin("##softkeys", nullptr, kFixed | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImVec2 half(static_cast<float>(width_) / 2, static_cast<float>(barHeight_));
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
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(fontPixels_ * 0.5f, fontPixels_ * 0.8f));
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
    if (!questionOpen_) {
        ImGui::OpenPopup(kQuestionPopup);
        questionOpen_ = true;
        wantsFrame_ = true;
    }
    ImGui::SetNextWindowPos(ImVec2(width_ * 0.5f, height_ * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width_ * 0.9f, 0));
    if (!ImGui::BeginPopupModal(kQuestionPopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return;
    ImGui::TextUnformatted(question.title.c_str());
    ImGui::Separator();
    ImGui::TextWrapped("%s", question.text.c_str());
    ImGui::Spacing();
    struct Choice {
        const std::string* text = nullptr;
        QuestionAnswer answer = QuestionAnswer::Cancel;
    };
    Choice choices[3];
    size_t count = 0;
    if (question.buttons == QuestionButtons::Ok) {
        choices[count++] = {&texts_.ok, QuestionAnswer::Ok};
    } else {
        choices[count++] = {&texts_.yes, QuestionAnswer::Yes};
        choices[count++] = {&texts_.no, QuestionAnswer::No};
        if (question.buttons == QuestionButtons::YesNoCancel)
            choices[count++] = {&texts_.cancel, QuestionAnswer::Cancel};
    }
    float width = (ImGui::GetContentRegionAvail().x -
                   ImGui::GetStyle().ItemSpacing.x * static_cast<float>(count - 1)) /
                  static_cast<float>(count);
    for (size_t i = 0; i < count; ++i) {
        if (i)
            ImGui::SameLine();
        if (ImGui::Button(choices[i].text->c_str(), ImVec2(width, fontPixels_ * 2.2f))) {
            auto answered = std::move(question.answered);
            QuestionAnswer answer = choices[i].answer;
            questions_.pop_front();
            wantsFrame_ = true;
            questionOpen_ = false;
            ImGui::CloseCurrentPopup();
            if (answered)
                deferred_.push_back([answered, answer] { answered(answer); });
            break;
        }
    }
    ImGui::EndPopup();
}

void ImGuiOverlay::DrawFolderChooser() {
    if (folders_.empty() || !questions_.empty())
        return;
    FolderChoice& choice = folders_.front();
    if (!folderOpen_) {
        ImGui::OpenPopup(kFolderPopup);
        folderOpen_ = true;
        wantsFrame_ = true;
    }
    ImGui::SetNextWindowPos(ImVec2(width_ * 0.5f, height_ * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width_ * 0.94f, height_ * 0.8f));
    if (!ImGui::BeginPopupModal(kFolderPopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return;
    ImGui::TextUnformatted(choice.title.c_str());
    ImGui::TextWrapped("%s", choice.folder.c_str());
    ImGui::Separator();
    float buttons = fontPixels_ * 2.2f + ImGui::GetStyle().ItemSpacing.y * 2;
    ImGui::BeginChild("##folders", ImVec2(0, -buttons));
    std::string enter;
    std::filesystem::path current(choice.folder);
    if (current.has_parent_path() && current != current.root_path() &&
        ImGui::Selectable("..", false, 0, ImVec2(0, fontPixels_ * 1.6f)))
        enter = current.parent_path().string();
    for (const std::string& name : SubFolders(choice.folder))
        if (ImGui::Selectable(name.c_str(), false, 0, ImVec2(0, fontPixels_ * 1.6f)))
            enter = (current / name).string();
    ImGui::EndChild();
    if (!enter.empty())
        choice.folder = enter;
    float width = (ImGui::GetContentRegionAvail().x - ImGui::GetStyle().ItemSpacing.x) / 2;
    std::string result;
    bool done = false;
    if (ImGui::Button(texts_.choose.c_str(), ImVec2(width, fontPixels_ * 2.2f))) {
        result = choice.folder;
        done = true;
    }
    ImGui::SameLine();
    if (ImGui::Button(texts_.cancel.c_str(), ImVec2(width, fontPixels_ * 2.2f)))
        done = true;
    if (done) {
        auto chosen = std::move(choice.chosen);
        folders_.pop_front();
        wantsFrame_ = true;
        folderOpen_ = false;
        ImGui::CloseCurrentPopup();
        if (chosen)
            deferred_.push_back([chosen, result] { chosen(result); });
    }
    ImGui::EndPopup();
}

void ImGuiOverlay::DrawTextQuestion() {
    if (textQuestions_.empty() || !questions_.empty() || !folders_.empty())
        return;
    TextQuestion& question = textQuestions_.front();
    if (!textOpen_) {
        ImGui::OpenPopup(kTextPopup);
        textOpen_ = true;
        wantsFrame_ = true;
    }
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
    float width = (ImGui::GetContentRegionAvail().x - ImGui::GetStyle().ItemSpacing.x) / 2;
    bool ok = ImGui::Button(texts_.ok.c_str(), ImVec2(width, fontPixels_ * 2.2f)) || entered;
    ImGui::SameLine();
    bool cancel = ImGui::Button(texts_.cancel.c_str(), ImVec2(width, fontPixels_ * 2.2f)) ||
                  ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    if (ok || cancel) {
        auto answered = std::move(question.answered);
        std::string edited(question.buffer.data());
        textQuestions_.pop_front();
        textOpen_ = false;
        wantsFrame_ = true;
        ImGui::CloseCurrentPopup();
        if (answered)
            deferred_.push_back([answered, edited, ok] { answered(ok ? &edited : nullptr); });
    }
    ImGui::EndPopup();
}

} // namespace tonilo
