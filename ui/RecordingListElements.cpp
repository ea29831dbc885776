#include "ui/RecordingListElements.h"

namespace tonilo {

void FileListElementView::SetSecondColumnWidth(int32_t width) {
    // The first column takes what the second leaves.
    element_->SetColumnWidths(width > 0 ? std::vector<int32_t>{0, width} : std::vector<int32_t>{0});
}

} // namespace tonilo
