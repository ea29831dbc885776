#pragma once
// Gives recordings that a crash or a kill left hidden in a folder the names
// they were going to have. A file still being written (its lock is held) is
// left alone; one that was grown ahead of time is cut back to the audio that
// reached it; a WAV's header is brought up to the data that is there; an empty
// one is deleted.
//
// Threads: any; it touches only the folder's files.
#include <string>
#include <vector>

namespace tonilo {

struct RecoveredRecording {
    std::string hiddenPath;
    std::string finalPath; // empty when the file was deleted or could not be renamed
    bool deleted = false;
};

std::vector<RecoveredRecording> RecoverRecordings(const std::string& folder);

// Sets a WAV file's RIFF and data sizes to the data actually in the file.
// False when the file is no RIFF WAVE or cannot be written.
bool RepairWavSizes(const std::string& path);

} // namespace tonilo
