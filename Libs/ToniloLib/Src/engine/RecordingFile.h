#pragma once
// The file of a recording in progress. It is written hidden, under a dot name
// in the target folder that carries the name it is going to have
// (".<name>.recording"), and takes its real name only when the recording is
// finished, without replacing anything. While it is written the file is locked
// (flock) so that recovery leaves it alone; a file grown ahead of time gets a
// side file (".<name>.recording.length") holding how much of it is audio, so a
// recording cut short by a crash can be cut back.
//
// The hidden file is readable by its owner alone (0600) while it is written. A
// private recording (a phone call) keeps that mode; any other takes the mode a
// new file gets under the user's umask when it is named.
//
// Threads: one owner thread at a time (the Recorder's worker or its delivery
// thread, under the Recorder's main lock).
#include <sys/types.h>

#include <cstdint>
#include <string>

namespace tonilo {

class RecordingFile {
public:
    static constexpr const char* kHiddenSuffix = ".recording";
    static constexpr const char* kLengthSuffix = ".recording.length";

    RecordingFile() = default;
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Creates the hidden file for finalPath; fails (errno set) when finalPath
    // or the hidden file already exists. Returns a write descriptor that the
    // caller owns, or -1.
    int Create(const std::string& finalPath, bool privateFile = false);
    // The file was grown ahead of time: from now on NoteLength is recorded.
    bool MarkGrown();
    // How many bytes of the file are audio, once they reached the file.
    void NoteLength(uint64_t bytes);
    // Bytes in the hidden file now; 0 when there is none.
    uint64_t Size() const;
    // Gives the file its name (or, if that was taken meanwhile, the next free
    // one) and returns it; with keep false deletes it instead. Empty on failure.
    std::string Finish(bool keep);

    const std::string& HiddenPath() const { return hiddenPath_; }
    const std::string& FinalPath() const { return finalPath_; }
    bool IsActive() const { return !hiddenPath_.empty(); }

    // Helpers shared with recovery.
    static std::string HiddenPathFor(const std::string& finalPath);
    // The final path a hidden path stands for; empty when it is not one.
    static std::string FinalPathFor(const std::string& hiddenPath);
    // Renames without replacing: finalPath, else "<stem> (2)<ext>", (3)...
    static std::string RenameToFreeName(const std::string& from, const std::string& finalPath);

private:
    std::string finalPath_;
    std::string hiddenPath_;
    mode_t finalMode_ = 0600;
    int lockDescriptor_ = -1;
    int lengthDescriptor_ = -1;
};

} // namespace tonilo
