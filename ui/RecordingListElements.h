#pragma once
// The skin's "filelist" and "filedir" elements as the recording list's views.
// The list element scales column widths itself, so widths pass as they are.
#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"
#include "ui/RecordingList.h"

namespace tonilo {

class FileListElementView : public RecordingListView {
public:
    explicit FileListElementView(FileListElement* element) : element_(element) {}
    void SetModel(TouchListModel* model) override { element_->SetModel(model); }
    void Reload() override { element_->Reload(); }
    void Select(int32_t row) override { element_->Select(row); }
    void EnsureVisible(int32_t row) override { element_->EnsureVisible(row); }
    void SetSearchText(const std::string& text) override { element_->SetSearchText(text); }
    void SetSecondColumnWidth(int32_t width) override;

private:
    FileListElement* element_;
};

class FolderBarElementView : public FolderBarView {
public:
    explicit FolderBarElementView(FolderBarElement* element) : element_(element) {}
    void SetText(const std::string& folder) override { element_->SetText(folder); }

private:
    FolderBarElement* element_;
};

} // namespace tonilo
