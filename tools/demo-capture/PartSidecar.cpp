#include "PartSidecar.h"

#include "platform/FileMapping.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/sha.h>
}

#include <nlohmann/json.hpp>

#include <fstream>
#include <memory>

namespace {

constexpr const char* partFormat = "demo-capture part";
constexpr int partVersion = 1;
constexpr int sha256Bits = 256;

const char* kindName(OutputKind kind)
{
    switch (kind) {
    case OutputKind::PngFolder:
        return "png";
    case OutputKind::Mp4:
        return "mp4";
    case OutputKind::Mkv:
        return "mkv";
    }
    return "";
}

std::optional<OutputKind> kindNamed(const std::string& name)
{
    for (const OutputKind kind : {OutputKind::PngFolder, OutputKind::Mp4, OutputKind::Mkv})
        if (name == kindName(kind))
            return kind;
    return std::nullopt;
}

struct ShaDeleter {
    void operator()(AVSHA* sha) const { av_free(sha); }
};

} // namespace

bool PartSidecar::sameCapture(const PartSidecar& other) const
{
    return from == other.from && to == other.to && rate.numerator == other.rate.numerator &&
           rate.denominator == other.rate.denominator && gridFrames == other.gridFrames &&
           width == other.width && height == other.height && kind == other.kind &&
           quality == other.quality && anisotropy == other.anisotropy &&
           configHash == other.configHash;
}

std::string sidecarPath(const std::string& output)
{
    if (outputKindFor(output) == OutputKind::PngFolder)
        return output + (output.back() == '/' ? "" : "/") + "part.json";
    return output + ".json";
}

bool writeSidecar(const std::string& output, const PartSidecar& part, std::string& error)
{
    nlohmann::ordered_json json;
    json["format"] = partFormat;
    json["version"] = partVersion;
    json["grid"] = {
        {"from", part.from},
        {"to", part.to},
        {"fps", std::to_string(part.rate.numerator) + "/" + std::to_string(part.rate.denominator)},
        {"frames", part.gridFrames}};
    json["frames"] = {{"first", part.first}, {"last", part.last}};
    json["size"] = {{"width", part.width}, {"height", part.height}};
    json["codec"] = {{"container", kindName(part.kind)}, {"quality", part.quality}};
    json["anisotropy"] = part.anisotropy;
    json["config_sha256"] = part.configHash;
    const std::string path = sidecarPath(output);
    std::ofstream out(path);
    out << json.dump(2) << "\n";
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::optional<PartSidecar> readSidecar(const std::string& output, std::string& error)
{
    const std::string path = sidecarPath(output);
    std::ifstream in(path);
    if (!in) {
        error = output + " has no " + path + ": not a finished part of a capture";
        return std::nullopt;
    }
    // Parsed without exceptions: anything missing or of the wrong type refuses the part.
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    const nlohmann::json none;
    const auto field = [&](const char* group, const char* name) -> const nlohmann::json& {
        if (!json.is_object())
            return none;
        const auto outer = json.find(group);
        if (outer == json.end() || !name)
            return outer == json.end() ? none : *outer;
        const auto inner = outer->find(name);
        return inner == outer->end() ? none : *inner;
    };
    const auto integer = [&](const char* group, const char* name) {
        const nlohmann::json& value = field(group, name);
        return value.is_number_integer() ? value.get<std::int64_t>() : -1;
    };
    const auto text = [&](const char* group, const char* name) {
        const nlohmann::json& value = field(group, name);
        return value.is_string() ? value.get<std::string>() : std::string();
    };
    PartSidecar part;
    const std::optional<FrameRate> rate = parseFrameRate(text("grid", "fps"));
    const std::optional<OutputKind> kind = kindNamed(text("codec", "container"));
    const nlohmann::json& from = field("grid", "from");
    const nlohmann::json& to = field("grid", "to");
    const nlohmann::json& anisotropy = field("anisotropy", nullptr);
    if (text("format", nullptr) != partFormat || integer("version", nullptr) != partVersion ||
        !rate || !kind || !from.is_number() || !to.is_number() || !anisotropy.is_number()) {
        error = "cannot read " + path + ": not a part description of this version";
        return std::nullopt;
    }
    part.from = from.get<float>();
    part.to = to.get<float>();
    part.anisotropy = anisotropy.get<float>();
    part.rate = *rate;
    part.kind = *kind;
    part.gridFrames = integer("grid", "frames");
    part.first = integer("frames", "first");
    part.last = integer("frames", "last");
    part.width = static_cast<int>(integer("size", "width"));
    part.height = static_cast<int>(integer("size", "height"));
    part.quality = static_cast<int>(integer("codec", "quality"));
    part.configHash = text("config_sha256", nullptr);
    if (part.gridFrames < 1 || part.first < 0 || part.last < part.first ||
        part.last >= part.gridFrames || part.width < 1 || part.height < 1) {
        error = "cannot read " + path + ": its frames or size are missing or out of range";
        return std::nullopt;
    }
    return part;
}

std::string fileHash(const std::string& path)
{
    const std::optional<FileMapping> file = FileMapping::open(path);
    std::unique_ptr<AVSHA, ShaDeleter> sha(av_sha_alloc());
    if (!file || !sha || av_sha_init(sha.get(), sha256Bits) < 0)
        return {};
    av_sha_update(sha.get(), reinterpret_cast<const uint8_t*>(file->data()), file->size());
    unsigned char digest[sha256Bits / 8];
    av_sha_final(sha.get(), digest);
    static constexpr char hex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : digest) {
        text += hex[byte >> 4];
        text += hex[byte & 0xf];
    }
    return text;
}
