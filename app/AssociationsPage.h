#pragma once
// The "Associations" settings page without its drawing: one line per extension
// the decoders read, selected when the type is ours, and the page's three
// buttons. The page and tonilo-tool associate share it.
//
// Runs on the user-interface thread (or the tool's only thread).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileAssociations.h"

namespace tonilo {

class FormatRegistry;

constexpr uint32_t kAssociationsTitleString = 13149;
constexpr uint32_t kAssociatedMessageString = 13038;
constexpr uint32_t kRestoredMessageString = 13039;
constexpr const char* kAssociationsCaption = "Zelto";

// Each extension of each decoder entry, in the registry's order, once (without
// regard to case).
std::vector<std::string> DecoderExtensions(FormatRegistry& registry);

struct AssociationsMessage {
    std::string text;
    std::string caption;
};

class AssociationsPage {
public:
    struct Line {
        std::string extension; // without its dot
        bool selected = false;
    };

    // Holds a reference to the registry for its lifetime.
    AssociationsPage(FileAssociations& associations, FormatRegistry& registry);
    ~AssociationsPage();
    AssociationsPage(const AssociationsPage&) = delete;
    AssociationsPage& operator=(const AssociationsPage&) = delete;

    // Fills the list and selects the lines that are ours; only the first call
    // does anything.
    void Start();
    // Selects the lines that are ours again (after "Restore all").
    void Refresh();

    const std::vector<Line>& Lines() const { return lines_; }
    // False for an index past the list.
    bool SetSelected(size_t index, bool selected);
    // The line of the extension ("wav", ".WAV"), or -1.
    int Find(const std::string& extension) const;
    void SelectAll();

    // "Associate": the selected lines not yet ours are associated, the
    // unselected ones that are ours restored; the message lists every selected
    // line whether or not its association took.
    AssociationsMessage Associate();
    // "Restore all": every line that is ours is restored and the selection cleared.
    AssociationsMessage RestoreAll();

private:
    FileAssociations& associations_;
    FormatRegistry& registry_;
    bool started_ = false;
    std::vector<Line> lines_;
};

} // namespace tonilo
