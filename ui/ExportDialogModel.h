#pragma once
// What the export dialog knows and decides, apart from its drawing: the
// source and target descriptions, the target's name as the user edits it,
// the checks of the "Export" command and the worker's progress. The drawing
// function shows the fields, passes edits and button presses in, and acts on
// the step each command returns (a message, a question, a chooser).
//
// Threads: the user-interface thread; the listener given at construction is
// called on the export's worker thread.
#include <cstdint>
#include <optional>
#include <string>

#include "app/QualityPreset.h"
#include "codecs/include/ToniloPlugin.h"
#include "ui/ExportJob.h"

namespace tonilo {

class FormatRegistry;
class SettingsStore;

// What the drawer does after "Export" or an answer to its question.
enum class ExportStep {
    Ignored,       // an export is running: nothing
    AskTargetName, // Message() with the product name as title, then open Browse
    ChangeFormat,  // no target format yet: open the format dialog instead
    NameRefused,   // the error log holds why: show it, focus the name, all text selected
    AskOverwrite,  // Message() as a Yes/No question; the answer to AnswerOverwrite
    NoRoom,        // Message(); nothing was started
    Started,       // the worker runs: editing controls hidden, progress shown
};

// What the drawer does when the worker's end arrives.
enum class ExportClosing {
    CloseExported, // the dialog ends with "Export"; the recording list is refreshed
    ShowError,     // GetErrorLog().ShowMessage(), then back to editing
    BackToEditing, // stopped
};

class ExportDialogModel {
public:
    static constexpr size_t kTargetLimit = 259; // characters of the target field

    // The string-table ids of the dialog's texts.
    static constexpr uint32_t kTitleText = 13117;
    static constexpr uint32_t kTargetLabel = 32100;
    static constexpr uint32_t kSourceLabel = 32101;
    static constexpr uint32_t kTargetPropertiesLabel = 32102;
    static constexpr uint32_t kExportingText = 32103;
    static constexpr uint32_t kChangeText = 32104;
    static constexpr uint32_t kBrowseText = 13121;

    // The registry must outlive the model. A null query asks the file system.
    ExportDialogModel(FormatRegistry* registry, ExportListener listener,
                      FreeSpaceQuery freeSpace = nullptr);

    // The recording to export: its format and length are read through the
    // registry, unless `playing` gives those of the stream that plays it.
    // False (error log filled) when it cannot be read.
    bool Open(const std::string& source, const MediaInfo* playing = nullptr);

    const std::string& SourcePath() const { return source_; }
    const std::string& SourceDescription() const { return sourceDescription_; }
    uint64_t SourceSize() const { return sourceSize_; }
    uint32_t SourceDurationMs() const { return sourceDurationMs_; }

    // The target field: edits are kept to kTargetLimit characters.
    const std::string& TargetPath() const { return target_; }
    void SetTargetText(const std::string& text);
    // Blanks trimmed and the extension made the target encoder's.
    void NormaliseTarget();
    // OK in the save-file chooser.
    void BrowseDone(const std::string& path);

    // OK in the format dialog: takes the preset and its encoder's bit rate,
    // rebuilds the target description and renormalises the name. False when
    // the registry has no such encoder (nothing changes).
    bool ChangeFormat(const QualityPreset& format);
    bool HasTargetFormat() const { return hasFormat_; }
    const QualityPreset& TargetFormat() const { return format_; }
    uint32_t TargetBitrateKbps() const { return bitrateKbps_; }
    // The encoder's first extension, "" without a target format.
    const std::string& TargetExtension() const { return targetExtension_; }
    const std::string& TargetDescription() const { return targetDescription_; }
    // Bytes, 0 when the bit rate or the source's size is unknown.
    uint64_t SizeEstimate() const { return sizeEstimate_; }

    // Which controls show: the editing ones while idle, the progress bar and
    // "Exporting..." while the worker runs.
    bool EditingShown() const { return !converting_; }
    bool ProgressShown() const { return converting_; }
    bool Converting() const { return converting_; }
    // The label beside the progress bar.
    static std::string ExportingText();
    // Cancel has asked the running export to stop. Also from the listener.
    bool Stopping() const { return job_.StopRequested(); }

    // The "Export" command and the answer to its overwrite question.
    ExportStep Export();
    ExportStep AnswerOverwrite(bool yes);
    // The text of the last AskTargetName, AskOverwrite or NoRoom step.
    const std::string& Message() const { return message_; }

    // For the progress bar's timer.
    ExportProgress Progress() const { return job_.Progress(); }
    // The worker's end, as the listener reported it.
    ExportClosing WorkerEnded(ExportEnd end);
    // Cancel: stops a running export (waiting for it at most 30 s; the
    // partial file is deleted) and stays open; closes when idle. True when
    // the dialog closes.
    bool Cancel();

    // For a drawer that looks at the job every frame instead of taking the
    // listener's messages: the worker's end once it has come (as WorkerEnded
    // gives it), nothing while it runs or when no export was started.
    std::optional<ExportClosing> PollEnd();
    // The dialog goes away while an export runs: the worker is asked to stop
    // and let go at once, without waiting; it deletes its partial file itself
    // at its next block.
    void Abandon();

    // The user's words for the newest coded entry of the error log: why a
    // name was refused or an export failed.
    static std::string LoggedErrorText();
    // The user's words for why the last export failed.
    std::string FailureText() const;

private:
    ExportStep StartWorker(bool replaceExisting);
    void RebuildTargetDescription();

    FormatRegistry* registry_;
    ExportListener listener_;
    ExportJob job_;

    std::string source_;
    std::string sourceDescription_;
    uint64_t sourceSize_ = 0;
    uint32_t sourceDurationMs_ = 0;

    std::string target_;
    bool hasFormat_ = false;
    QualityPreset format_;
    uint32_t bitrateKbps_ = 0;
    std::string targetExtension_;
    std::string targetDescription_;
    uint64_t sizeEstimate_ = 0;

    bool converting_ = false;
    std::string message_;
};

// Whether the file namer takes the path: absolute, and no forbidden character
// in any of its names. A refusal is in the error log.
bool AcceptTargetPath(const std::string& path);

// note.wav gives noteExp.wav; a name without extension gets "Exp" at its end.
std::string DefaultExportPath(const std::string& source);

// The blanks around the text trimmed and its extension replaced by
// `extension` (without the dot; nothing is replaced when it is empty).
std::string NormaliseExportPath(const std::string& text, const std::string& extension);

// The recording format the settings select (RecID), else its factory record:
// where a new export's target format starts.
QualityPreset RecordingFormatOf(const SettingsStore& settings);

// The bit rate the encoder states for the preset; 0 when it gives none.
uint32_t EncoderBitrateKbps(FormatRegistry* registry, const QualityPreset& format);

} // namespace tonilo
