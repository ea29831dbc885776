#include "app/CommandLine.h"

#include <algorithm>
#include <cstdlib>

namespace tonilo {

TokenKind KindOfToken(const std::string& token) {
    if (token.find(' ') != std::string::npos || token.empty())
        return TokenKind::Text;
    if (token[0] == '-')
        return TokenKind::Switch;
    for (char c : token) {
        if (c < '0' || c > '9')
            return TokenKind::Text;
    }
    return TokenKind::Number;
}

std::string WholeCommandLine(const std::vector<std::string>& arguments) {
    std::string whole;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            whole += ' ';
        whole += arguments[i];
    }
    return whole;
}

TokenKind CommandTokens::Next(std::string* token) {
    if (next_ >= arguments_.size())
        return TokenKind::End;
    *token = arguments_[next_++];
    return KindOfToken(*token);
}

bool CommandTokens::NextText(std::string* text) {
    std::string token;
    if (Next(&token) != TokenKind::Text)
        return false;
    *text = token;
    return true;
}

bool CommandTokens::NextNumber(uint32_t* number) {
    std::string token;
    if (Next(&token) != TokenKind::Number)
        return false;
    // Digits only; anything past 32 bits saturates rather than wrapping round.
    unsigned long long value = std::strtoull(token.c_str(), nullptr, 10);
    *number = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    return true;
}

namespace {

// Hands every switch that follows to `option`; texts no switch takes are skipped.
template <typename Handler> void ForEachSwitch(CommandTokens& tokens, Handler option) {
    std::string token;
    TokenKind kind;
    while ((kind = tokens.Next(&token)) != TokenKind::End)
        if (kind == TokenKind::Switch)
            option(token);
}

void ParseRecordOptions(CommandTokens& tokens, ParsedCommand* command) {
    RecordingRequest& request = command->recording;
    request.startedByCommand = true;
    ForEachSwitch(tokens, [&](const std::string& token) {
        uint32_t number = 0;
        if (token == "-f") {
            tokens.NextText(&request.fileName);
        } else if (token == "-d") {
            tokens.NextText(&request.directory);
        } else if (token == "-o") {
            request.overwrite = true;
        } else if (token == "-b") {
            command->background = true;
        } else if (token == "-beep") {
            if (tokens.NextNumber(&number))
                request.beepRequest = number == 0xFFFFFFFFu ? number : number + 1;
        } else if (token == "-m") {
            if (tokens.NextNumber(&number))
                request.timeLimit = number;
        } else if (token == "-fmt") {
            std::string encoder;
            uint32_t quality = 0, rate = 0, bits = 0, channels = 0;
            tokens.NextText(&encoder);
            if (encoder.size() >= kMaxFmtEncoderName)
                encoder.clear();
            bool complete = tokens.NextNumber(&quality) && tokens.NextNumber(&rate) &&
                            tokens.NextNumber(&bits) && tokens.NextNumber(&channels);
            if (complete && !encoder.empty() && rate && bits && channels && bits <= 0xFFFF &&
                channels <= 0xFFFF) {
                request.preset = QualityPreset::FromFormat(
                    encoder, rate, static_cast<uint16_t>(bits), static_cast<uint16_t>(channels),
                    static_cast<uint8_t>(quality == 0 ? 0 : quality - 1));
            }
        }
    });
}

void ParsePlayOptions(CommandTokens& tokens, ParsedCommand* command) {
    PlayRequest& request = command->play;
    request.startedByCommand = true;
    ForEachSwitch(tokens, [&](const std::string& token) {
        uint32_t number = 0;
        if (token == "-f") {
            tokens.NextText(&request.fileName);
        } else if (token == "-b") {
            command->background = true;
        } else if (token == "-next") {
            // Any count past the byte's range means "always": it must not wrap.
            if (tokens.NextNumber(&number))
                request.nextCount = static_cast<int8_t>(std::min<uint32_t>(number, 126) + 1);
        }
    });
}

void ParseStopOptions(CommandTokens& tokens, ParsedCommand* command) {
    ForEachSwitch(tokens, [&](const std::string& token) {
        if (token == "-b")
            command->background = true;
    });
}

} // namespace

ParsedCommand ParseVerbs(const std::vector<std::string>& arguments) {
    ParsedCommand command;
    if (WholeCommandLine(arguments).size() >= kMaxCommandLineLength)
        return command;
    CommandTokens tokens(arguments);
    std::string verb;
    if (tokens.Next(&verb) != TokenKind::Switch)
        return command;
    if (verb == "-rec") {
        command.verb = Verb::Record;
        ParseRecordOptions(tokens, &command);
    } else if (verb == "-play") {
        command.verb = Verb::Play;
        ParsePlayOptions(tokens, &command);
    } else if (verb == "-stop") {
        command.verb = Verb::Stop;
        ParseStopOptions(tokens, &command);
    } else if (verb == "-exit") {
        command.verb = Verb::Exit;
    } else if (verb == "-callprepare" || verb == "-callstart" || verb == "-callstop") {
        command.verb = verb == "-callprepare" ? Verb::CallPrepare
                       : verb == "-callstart" ? Verb::CallStart
                                              : Verb::CallStop;
        if (command.verb == Verb::CallPrepare) {
            // Prepared, not started: the call's connection starts it.
            command.recording.phoneCall = true;
            // The caller's name or number, when the call watcher passes one.
            tokens.NextText(&command.recording.callerText);
        }
    }
    return command;
}

} // namespace tonilo
