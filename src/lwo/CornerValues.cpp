#include "lwo/CornerValues.h"

#include <algorithm>

namespace {

std::uint64_t cornerKey(std::uint32_t polygon, std::uint32_t point)
{
    return (std::uint64_t{polygon} << 32) | point;
}

} // namespace

CornerValues::CornerValues(const LwoLayer& layer, std::vector<std::string> types,
                           const std::string& name)
    : pointValues(layer.pointCount(), nullptr)
{
    bool first = true;
    for (const LwoVertexMap& map : layer.maps) {
        if (map.name != name || std::find(types.begin(), types.end(), map.type) == types.end())
            continue;
        smallestDimension = first ? map.dimension : std::min(smallestDimension, map.dimension);
        first = false;
        for (std::size_t i = 0; i < map.size(); ++i) {
            const float* value = map.values.data() + i * map.dimension;
            if (map.perPolygon)
                cornerValues[cornerKey(map.polygons[i], map.points[i])] = value;
            else
                pointValues[map.points[i]] = value;
        }
    }
}

const float* CornerValues::cornerValue(std::uint32_t polygon, std::uint32_t point) const
{
    if (cornerValues.empty())
        return nullptr;
    const auto found = cornerValues.find(cornerKey(polygon, point));
    return found == cornerValues.end() ? nullptr : found->second;
}
