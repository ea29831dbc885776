#pragma once
// What a touch list shows and whom it tells about taps, keys and selection.
// The list calls these on the UI thread only, from its input and paint paths.
#include <cstdint>
#include <string>

namespace tonilo {

class TouchListModel {
public:
    virtual ~TouchListModel() = default;
    virtual int32_t RowCount() const = 0;
    virtual int32_t ColumnCount() const = 0; // 1 or 2 (second column in details mode)
    virtual std::string CellText(int32_t row, int32_t column) const = 0;
    virtual bool IsFolder(int32_t row) const = 0; // drawn with a folder glyph
    // The number the scroll indicator shows for a row (a size in bytes); 0 shows nothing.
    virtual int64_t IndicatorValue(int32_t row) const {
        (void)row;
        return 0;
    }
    virtual void OnActivate(int32_t row) = 0; // tap / Enter / double tap
    virtual void OnSelectionChanged(int32_t first, int32_t last) {
        (void)first;
        (void)last;
    }
    virtual void OnSearchChar(uint32_t character) { (void)character; } // type-to-find
    virtual void OnContextMenu(int32_t row, int32_t x, int32_t y) {    // tap-and-hold
        (void)row;
        (void)x;
        (void)y;
    }
};

} // namespace tonilo
