#include "platform/window/FileChooser.h"

#include <imgui.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace tonilo {
namespace {

namespace fs = std::filesystem;

const char* kReplacePopup = "##replace";
// A file name's limit in bytes of UTF-8 (260 characters of up to four bytes).
constexpr size_t kNameCapacity = 260 * 4;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool HasExtension(const std::string& name, const std::vector<std::string>& extensions) {
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    std::string extension = Lower(name.substr(dot + 1));
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const std::string& wanted) { return Lower(wanted) == extension; });
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The question's text with the file's name in place of "%s".
std::string FillIn(const std::string& format, const std::string& name) {
    size_t at = format.find("%s");
    return at == std::string::npos ? format : format.substr(0, at) + name + format.substr(at + 2);
}

} // namespace

FileChooser::FileChooser(Kind kind, std::string title, const std::string& start,
                         std::vector<std::string> extensions,
                         std::function<void(const std::string&)> chosen)
    : kind_(kind), title_(std::move(title)), extensions_(std::move(extensions)),
      chosen_(std::move(chosen)), name_(kNameCapacity + 1, '\0') {
    std::error_code error;
    fs::path path(start);
    std::string folder = "/";
    if (!start.empty() && fs::is_directory(path, error)) {
        folder = start;
    } else if (!start.empty() && path.has_parent_path() &&
               fs::is_directory(path.parent_path(), error)) {
        folder = path.parent_path().string();
        std::string name = path.filename().string();
        if (kind_ == Kind::Save)
            std::copy_n(name.begin(), std::min(name.size(), kNameCapacity), name_.begin());
        else if (kind_ == Kind::Open && fs::is_regular_file(path, error))
            selected_ = name;
    }
    Enter(folder);
    if (!selected_.empty() && fs::path(folder_) != path.parent_path())
        selected_.clear();
}

std::vector<FileChooser::Entry> FileChooser::List(const std::string& folder, Kind kind,
                                                  const std::vector<std::string>& extensions) {
    std::vector<Entry> folders, files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        if (entry.is_directory(error))
            folders.push_back(Entry{name, true});
        else if (kind != Kind::Folder && entry.is_regular_file(error) &&
                 (extensions.empty() || HasExtension(name, extensions)))
            files.push_back(Entry{name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

std::string FileChooser::SavePath(const std::string& folder, const std::string& name,
                                  const std::vector<std::string>& extensions) {
    std::string file = Trimmed(name);
    if (file.empty() || file == "." || file == ".." || file.find('/') != std::string::npos)
        return "";
    if (!extensions.empty() && !HasExtension(file, extensions))
        file += "." + extensions.front();
    return (fs::path(folder) / file).string();
}

void FileChooser::Enter(const std::string& folder) {
    folder_ = folder;
    entries_ = List(folder_, kind_, extensions_);
    selected_.clear();
}

std::string FileChooser::Choice() const {
    switch (kind_) {
    case Kind::Folder:
        return folder_;
    case Kind::Open:
        return selected_.empty() ? "" : (fs::path(folder_) / selected_).string();
    case Kind::Save:
        return SavePath(folder_, name_.data(), extensions_);
    }
    return "";
}

void FileChooser::DrawEntries(float fontPixels, bool* choose) {
    ImVec2 row(0, fontPixels * 1.6f);
    std::string enter;
    fs::path current(folder_);
    if (current.has_parent_path() && current != current.root_path() &&
        ImGui::Selectable("..", false, 0, row))
        enter = current.parent_path().string();
    for (const Entry& entry : entries_) {
        if (entry.folder) {
            if (ImGui::Selectable((entry.name + "/").c_str(), false, 0, row))
                enter = (current / entry.name).string();
            continue;
        }
        bool selected = kind_ == Kind::Open && entry.name == selected_;
        if (!ImGui::Selectable(entry.name.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick,
                               row))
            continue;
        if (kind_ == Kind::Save) {
            std::fill(name_.begin(), name_.end(), '\0');
            std::copy_n(entry.name.begin(), std::min(entry.name.size(), kNameCapacity),
                        name_.begin());
        } else {
            selected_ = entry.name;
            *choose = ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left);
        }
    }
    if (!enter.empty())
        Enter(enter);
}

bool FileChooser::DrawReplaceQuestion(const OverlayTexts& texts, float fontPixels) {
    if (!ImGui::IsPopupOpen(kReplacePopup))
        ImGui::OpenPopup(kReplacePopup);
    ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(display.x * 0.9f, 0));
    if (!ImGui::BeginPopupModal(kReplacePopup, nullptr, ImGuiWindowFlags_NoDecoration))
        return false;
    QuestionText(title_, FillIn(texts.replace, fs::path(replacing_).filename().string()));
    int answer = ButtonRow({{&texts.yes}, {&texts.no}}, fontPixels * 2.2f);
    bool replace = answer == 0;
    if (answer >= 0) {
        if (!replace) {
            replacing_.clear();
            focusName_ = true;
        }
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
    return replace;
}

bool FileChooser::Draw(const OverlayTexts& texts, float fontPixels, std::string* result) {
    const ImGuiStyle& style = ImGui::GetStyle();
    float buttons = fontPixels * 2.2f;
    // The key that brought the chooser up (Enter on a dialog) is not its own.
    bool appearing = ImGui::IsWindowAppearing();
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(title_.c_str());
    ImGui::TextDisabled("%s", folder_.c_str());
    ImGui::PopTextWrapPos();
    ImGui::Separator();
    float below = buttons + style.ItemSpacing.y;
    if (kind_ == Kind::Save)
        below += ImGui::GetTextLineHeightWithSpacing() + ImGui::GetFrameHeightWithSpacing();
    bool choose = false;
    // A long name scrolls sideways rather than being cut.
    ImGui::BeginChild("##entries", ImVec2(0, -below), false, ImGuiWindowFlags_HorizontalScrollbar);
    DrawEntries(fontPixels, &choose);
    ImGui::EndChild();
    if (kind_ == Kind::Save) {
        ImGui::TextUnformatted(texts.fileName.c_str());
        ImGui::SetNextItemWidth(-1);
        // Typing goes to the name at first and again after a "No" to replacing.
        if (ImGui::IsWindowAppearing() || focusName_)
            ImGui::SetKeyboardFocusHere();
        focusName_ = false;
        choose |= ImGui::InputText("##name", name_.data(), name_.size(),
                                   ImGuiInputTextFlags_EnterReturnsTrue);
    }
    const std::string& action = kind_ == Kind::Folder ? texts.choose
                                : kind_ == Kind::Open ? texts.open
                                                      : texts.save;
    std::string choice = Choice();
    bool quiet = !appearing && replacing_.empty() && !ImGui::IsAnyItemActive();
    int pressed = ButtonRow({{&action, !choice.empty()}, {&texts.cancel}}, buttons);
    choose |=
        pressed == 0 || (quiet && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false));
    bool cancel =
        pressed == 1 || (quiet && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false));
    if (!replacing_.empty()) {
        if (DrawReplaceQuestion(texts, fontPixels)) {
            *result = replacing_;
            return true;
        }
        return false;
    }
    if (cancel) {
        result->clear();
        return true;
    }
    if (!choose || choice.empty())
        return false;
    std::error_code error;
    if (kind_ == Kind::Save && fs::exists(choice, error)) {
        // Saving over a file asks first; over a folder is no choice at all.
        if (!fs::is_directory(choice, error))
            replacing_ = choice;
        return false;
    }
    *result = choice;
    return true;
}

} // namespace tonilo
