#include "JoinPlan.h"

#include <algorithm>

namespace {

std::string frames(std::int64_t first, std::int64_t last)
{
    return first == last ? "frame " + std::to_string(first)
                         : "frames " + std::to_string(first) + "-" + std::to_string(last);
}

// What sets two parts apart, for the message; empty when they are parts of one capture.
std::string difference(const PartSidecar& a, const PartSidecar& b)
{
    if (a.configHash != b.configHash)
        return "was rendered from another demo configuration";
    if (a.width != b.width || a.height != b.height)
        return "has another picture size (" + std::to_string(b.width) + "x" +
               std::to_string(b.height) + ", not " + std::to_string(a.width) + "x" +
               std::to_string(a.height) + ")";
    if (a.kind != b.kind || a.quality != b.quality || a.anisotropy != b.anisotropy)
        return "has another container, --quality or --anisotropy";
    if (!a.sameCapture(b))
        return "belongs to another capture (--from, --to or --fps differ)";
    return {};
}

} // namespace

std::optional<std::string> planJoin(std::vector<JoinPart>& parts)
{
    if (parts.empty())
        return "no parts to join";
    for (const JoinPart& part : parts)
        if (const std::string why = difference(parts.front().sidecar, part.sidecar); !why.empty())
            return part.path + " " + why + " than " + parts.front().path;

    std::stable_sort(parts.begin(), parts.end(), [](const JoinPart& a, const JoinPart& b) {
        return a.sidecar.first < b.sidecar.first;
    });
    std::vector<std::string> problems;
    std::int64_t next = 0; // the first frame no part before has covered
    const JoinPart* previous = nullptr;
    for (const JoinPart& part : parts) {
        const PartSidecar& p = part.sidecar;
        if (p.first > next)
            problems.push_back(frames(next, p.first - 1) + " missing");
        else if (p.first < next)
            problems.push_back(frames(p.first, std::min(p.last, next - 1)) + " in both " +
                               previous->path + " and " + part.path);
        if (p.last + 1 > next) {
            next = p.last + 1;
            previous = &part;
        }
    }
    const std::int64_t total = parts.front().sidecar.gridFrames;
    if (next < total)
        problems.push_back(frames(next, total - 1) + " missing");
    if (problems.empty())
        return std::nullopt;
    std::string message =
        "the parts do not cover frames 0-" + std::to_string(total - 1) + " once: ";
    for (std::size_t i = 0; i < problems.size(); ++i)
        message += (i ? "; " : "") + problems[i];
    return message;
}
