#include "Join.h"

#include "platform/AudioFile.h"

#include <filesystem>

bool joinPngParts(const std::vector<JoinPart>& parts, const std::string& out,
                  const AudioSpan& audio, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code failure;
    fs::create_directories(out, failure);
    if (failure) {
        error = "cannot create " + out + ": " + failure.message();
        return false;
    }
    for (const JoinPart& part : parts) {
        for (std::int64_t index = part.sidecar.first; index <= part.sidecar.last; ++index) {
            const fs::path from = fs::path(part.path) / frameFileName(index);
            const fs::path to = fs::path(out) / frameFileName(index);
            if (!fs::exists(from, failure)) {
                error = part.path + " lacks " + frameFileName(index);
                return false;
            }
            // Joining into one of the parts' own folders leaves its frames where they are.
            if (fs::equivalent(from, to, failure))
                continue;
            fs::remove(to, failure);
            // A link costs nothing on one file system; a copy crosses to another.
            fs::create_hard_link(from, to, failure);
            if (failure)
                fs::copy_file(from, to, failure);
            if (failure) {
                error = "cannot write " + to.string() + ": " + failure.message();
                return false;
            }
        }
    }
    const std::string wav = (fs::path(out) / "audio.wav").string();
    if (!writeAudioFile(wav, AudioFileFormat::Wav, audioSegment(audio))) {
        error = "cannot write " + wav;
        return false;
    }
    return true;
}
