#include "ui/ExportDialogModel.h"

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "formats/FormatRegistry.h"
#include "platform/ErrorLog.h"
#include "platform/LanguageResources.h"
#include "platform/PathParts.h"
#include "ui/InformationTexts.h"

namespace tonilo {
namespace {

constexpr uint32_t kSelectTargetFile = 30189;
constexpr uint32_t kOverwriteQuestion = 13063;
constexpr uint32_t kNotEnoughSpace = 30191;
constexpr int32_t kExportOntoItself = 32105;
constexpr int32_t kCannotCreateDirectory = 13000;
constexpr int32_t kFileDoesNotExist = 36001;
constexpr int32_t kCannotOpenDecoder = 36004;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsRegularFile(const std::string& path, uint64_t* size = nullptr) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    if (size != nullptr)
        *size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

bool AcceptTargetPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        TONILO_LOG_ERROR(kCannotCreateDirectory, "%s is not an absolute path", path.c_str());
        return false;
    }
    size_t start = 1;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        if (!ValidateName(path.substr(start, slash - start), false))
            return false;
        start = slash + 1;
    }
    return true;
}

std::string DefaultExportPath(const std::string& source) {
    const size_t dot = ExtensionDot(source);
    if (dot == std::string::npos)
        return source + "Exp";
    return source.substr(0, dot) + "Exp" + source.substr(dot);
}

std::string NormaliseExportPath(const std::string& text, const std::string& extension) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    std::string path = text.substr(0, end);
    size_t begin = 0;
    while (begin < path.size() && IsBlank(path[begin]))
        ++begin;
    if (begin == path.size())
        return "";
    if (!extension.empty()) {
        const size_t dot = ExtensionDot(path);
        path = (dot == std::string::npos ? path : path.substr(0, dot)) + "." + extension;
    }
    return path.substr(begin);
}

QualityPreset RecordingFormatOf(const SettingsStore& settings) {
    uint32_t recId = 1;
    settings.GetNumber("RecID", &recId);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    QualityPreset preset;
    if (settings.GetBinary(SettingsStore::PresetNameForRecId(recId), &data, &size) &&
        QualityPreset::Decode(data, size, &preset))
        return preset;
    const PresetRecord& factory =
        SettingsStore::FactoryPreset(recId < SettingsStore::kPresetCount ? recId : 1);
    QualityPreset::Decode(factory.data(), factory.size(), &preset);
    return preset;
}

uint32_t EncoderBitrateKbps(FormatRegistry* registry, const QualityPreset& format) {
    AudioEncoder* encoder = nullptr;
    if (!registry->CreateEncoder(&encoder, "", format.encoderName.c_str()) || encoder == nullptr)
        return 0;
    const WAVEFORMATEX pcm =
        MakePcmFormat(format.samplesPerSecond, format.bitsPerSample, format.channels);
    const uint32_t kbps =
        encoder->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&pcm), format.quality);
    encoder->Release();
    return kbps;
}

ExportDialogModel::ExportDialogModel(FormatRegistry* registry, ExportListener listener,
                                     FreeSpaceQuery freeSpace)
    : registry_(registry), listener_(std::move(listener)), job_(registry, std::move(freeSpace)) {}

bool ExportDialogModel::Open(const std::string& source, const MediaInfo* playing) {
    source_ = source;
    sourceDescription_.clear();
    sourceSize_ = 0;
    sourceDurationMs_ = 0;
    target_ = NormaliseExportPath(DefaultExportPath(source), targetExtension_);
    RebuildTargetDescription();
    if (!IsRegularFile(source, &sourceSize_)) {
        TONILO_LOG_ERROR(kFileDoesNotExist, "%s", source.c_str());
        return false;
    }
    MediaInfo info{};
    if (playing != nullptr)
        info = *playing;
    else if (!registry_->GetFileInfo(source.c_str(), &info)) {
        TONILO_LOG_ERROR(kCannotOpenDecoder, "%s", source.c_str());
        return false;
    }
    sourceDurationMs_ = info.durationMs;
    sourceDescription_ =
        ShortFormatDescription(ExtensionOf(source), info.format.nSamplesPerSec,
                               info.format.nChannels, info.format.wBitsPerSample, sourceSize_);
    RebuildTargetDescription();
    return true;
}

void ExportDialogModel::SetTargetText(const std::string& text) {
    target_ = text.size() > kTargetLimit ? text.substr(0, kTargetLimit) : text;
}

void ExportDialogModel::NormaliseTarget() {
    target_ = NormaliseExportPath(target_, targetExtension_);
}

void ExportDialogModel::BrowseDone(const std::string& path) {
    SetTargetText(path);
    NormaliseTarget();
}

bool ExportDialogModel::ChangeFormat(const QualityPreset& format) {
    FormatEntry entry;
    int32_t index = -1;
    if (!registry_->FindByNameOfKind(format.encoderName.c_str(), FORMAT_KIND_ENCODER, &entry,
                                     &index) ||
        entry.extensions.empty())
        return false;
    hasFormat_ = true;
    format_ = format;
    bitrateKbps_ = EncoderBitrateKbps(registry_, format);
    targetExtension_ = entry.extensions.front();
    RebuildTargetDescription();
    NormaliseTarget();
    return true;
}

void ExportDialogModel::RebuildTargetDescription() {
    sizeEstimate_ = 0;
    targetDescription_.clear();
    if (!hasFormat_)
        return;
    targetDescription_ = FormatLineText(targetExtension_, format_.samplesPerSecond,
                                        format_.channels, format_.bitsPerSample);
    if (bitrateKbps_ == 0 || sourceSize_ == 0)
        return;
    const double estimate = static_cast<double>(bitrateKbps_) * 125.0 *
                            (static_cast<double>(sourceDurationMs_) / 1000.0);
    sizeEstimate_ = static_cast<uint64_t>(std::floor(estimate));
    targetDescription_ += ShortSizeText(sizeEstimate_);
}

std::string ExportDialogModel::ExportingText() {
    return LoadResourceString(kExportingText);
}

ExportStep ExportDialogModel::Export() {
    if (converting_)
        return ExportStep::Ignored;
    NormaliseTarget();
    if (target_.empty()) {
        message_ = LoadResourceString(kSelectTargetFile);
        return ExportStep::AskTargetName;
    }
    if (!hasFormat_)
        return ExportStep::ChangeFormat;
    if (!AcceptTargetPath(target_))
        return ExportStep::NameRefused;
    std::error_code error;
    if (std::filesystem::equivalent(source_, target_, error)) {
        // Replacing the source with its own export would lose the recording
        // if anything went wrong, and gain nothing if all went right.
        TONILO_LOG_ERROR(kExportOntoItself, "%s", target_.c_str());
        return ExportStep::NameRefused;
    }
    if (Exists(target_)) {
        message_ = FillInResourceString(kOverwriteQuestion, {FileNameOf(target_)});
        return ExportStep::AskOverwrite;
    }
    return StartWorker(false);
}

ExportStep ExportDialogModel::AnswerOverwrite(bool yes) {
    if (converting_ || !yes)
        return ExportStep::Ignored;
    return StartWorker(true);
}

ExportStep ExportDialogModel::StartWorker(bool replaceExisting) {
    ExportRequest request;
    request.source = source_;
    request.target = target_;
    request.format = format_;
    request.replaceExisting = replaceExisting;
    request.sizeEstimate = sizeEstimate_;
    request.sourceDurationMs = sourceDurationMs_;
    switch (job_.Start(request, listener_)) {
    case ExportStart::Started:
        converting_ = true;
        return ExportStep::Started;
    case ExportStart::NoRoom:
        message_ = LoadResourceString(kNotEnoughSpace);
        return ExportStep::NoRoom;
    case ExportStart::Busy:
    default:
        return ExportStep::Ignored;
    }
}

ExportClosing ExportDialogModel::WorkerEnded(ExportEnd end) {
    job_.Wait(ExportJob::kStopTimeoutMs);
    converting_ = false;
    switch (end) {
    case ExportEnd::Done:
        return ExportClosing::CloseExported;
    case ExportEnd::Failed:
        return ExportClosing::ShowError;
    case ExportEnd::Stopped:
    default:
        return ExportClosing::BackToEditing;
    }
}

bool ExportDialogModel::Cancel() {
    if (!converting_)
        return true;
    job_.Stop(ExportJob::kStopTimeoutMs);
    converting_ = false;
    return false;
}

std::optional<ExportClosing> ExportDialogModel::PollEnd() {
    if (!converting_ || job_.Running())
        return std::nullopt;
    return WorkerEnded(job_.LastEnd());
}

void ExportDialogModel::Abandon() {
    if (!converting_)
        return;
    job_.Stop(0);
    converting_ = false;
}

std::string ExportDialogModel::FailureText() const {
    return ErrorLog::MessageForCode(job_.LastErrorCode());
}

std::string ExportDialogModel::LoggedErrorText() {
    ErrorLog& log = GetErrorLog();
    for (uint32_t number = log.Count(); number >= 1; --number) {
        const ErrorLogEntry entry = log.Entry(number);
        if (entry.code != kNoErrorCode)
            return ErrorLog::MessageForCode(entry.code);
    }
    return ErrorLog::MessageForCode(kNoErrorCode);
}

} // namespace tonilo
