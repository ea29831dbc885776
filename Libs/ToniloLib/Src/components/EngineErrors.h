#pragma once
// The codes the Player and the Recorder put into the error log. Each is also
// the string-table id of the message the user sees for it.
#include <cstdint>

namespace tonilo {

// Player.
constexpr int32_t PLAYER_ERROR_LIBRARY = 36000; // the family's catch-all; the Player never logs it
constexpr int32_t PLAYER_ERROR_FILE_MISSING = 36001;
constexpr int32_t PLAYER_ERROR_CANNOT_OPEN_FILE = 36002;
constexpr int32_t PLAYER_ERROR_NO_DECODER = 36003;
constexpr int32_t PLAYER_ERROR_CANNOT_OPEN_DECODER = 36004;
constexpr int32_t PLAYER_ERROR_CANNOT_OPEN_DEVICE = 36005;
constexpr int32_t PLAYER_ERROR_FILTERING = 36006;

// Recorder.
constexpr int32_t RECORDER_ERROR_CANNOT_CREATE_ENCODER = 37000;
constexpr int32_t RECORDER_ERROR_CANNOT_OPEN_ENCODER = 37001;
constexpr int32_t RECORDER_ERROR_CANNOT_CREATE_FILE = 37002;
constexpr int32_t RECORDER_ERROR_CANNOT_PREPARE_FILE_SIZE = 37003;
constexpr int32_t RECORDER_ERROR_CANNOT_OPEN_DEVICE = 37004;
constexpr int32_t RECORDER_ERROR_CANNOT_ENCODE = 37005;
constexpr int32_t RECORDER_ERROR_FILTERING = 37006;

} // namespace tonilo
