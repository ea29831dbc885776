#pragma once
// The program's command line: the requests it carries and the verbs that make
// them. On Linux the shell has split the line already, so every argument is one
// token; its kind follows from its text (an argument holding a blank is text,
// whatever it begins with). "The whole command line" is the arguments joined
// by single blanks.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/QualityPreset.h"
#include "app/RecordingNamer.h"

namespace tonilo {

// Command lines this long or longer are ignored.
constexpr size_t kMaxCommandLineLength = 260;
// "-fmt" encoder names must be shorter than this.
constexpr size_t kMaxFmtEncoderName = 32;

struct RecordingRequest {
    bool phoneCall = false;
    std::string callerText; // call verbs only
    // A call's folder, name template and caller, built by the call watcher's
    // recorder; the templates of the settings otherwise.
    std::optional<NamingRequest> callNaming;
    bool startedByCommand = false;
    uint32_t timeLimit = 0;   // seconds, 0 = none
    uint32_t beepRequest = 0; // 0 settings, 1 no beep, more: beep
    std::optional<QualityPreset> preset;
    std::string fileName;  // empty: named from the templates
    std::string directory; // empty: the recording folder
    bool overwrite = false;
    bool exitAfter = false;
    bool switchOffAfter = false;
};

struct PlayRequest {
    std::string fileName;
    bool startedByCommand = false;
    uint32_t startPosition = 0; // milliseconds
    int8_t nextCount = 0;       // 0 AutoPlayNext decides, 1 never, more: always
};

enum class TokenKind { End = 1, Switch = 2, Number = 3, Text = 4 };

TokenKind KindOfToken(const std::string& token);
std::string WholeCommandLine(const std::vector<std::string>& arguments);

// Reads tokens one after another; a typed read takes the next token and accepts
// it only when it has that kind.
class CommandTokens {
public:
    explicit CommandTokens(const std::vector<std::string>& arguments) : arguments_(arguments) {}
    TokenKind Next(std::string* token);
    bool NextText(std::string* text);
    bool NextNumber(uint32_t* number);

private:
    const std::vector<std::string>& arguments_;
    size_t next_ = 0;
};

enum class Verb { None, CallPrepare, CallStart, CallStop, Record, Play, Stop, Exit };

struct ParsedCommand {
    Verb verb = Verb::None;
    bool background = false;
    RecordingRequest recording; // for Record and CallPrepare
    PlayRequest play;           // for Play
};

// The verb and its options. Unknown verbs, a first token that is not a switch
// and lines of kMaxCommandLineLength characters or more give Verb::None.
ParsedCommand ParseVerbs(const std::vector<std::string>& arguments);

} // namespace tonilo
