#pragma once

#include "lwo/LwoObject.h"

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The value of one named map at a polygon corner: the VMAD value for that polygon and point if
// there is one, else the VMAP value of the point, else none.
class CornerValues {
public:
    // Every VMAP and VMAD of the layer whose type is one of types and whose name is name.
    CornerValues(const LwoLayer& layer, std::vector<std::string> types, const std::string& name);

    const float* at(std::uint32_t polygon, std::uint32_t point) const
    {
        const float* own = cornerValue(polygon, point);
        return own ? own : pointValue(point);
    }
    // The VMAD value alone, or null.
    const float* cornerValue(std::uint32_t polygon, std::uint32_t point) const;
    // The VMAP value alone, or null.
    const float* pointValue(std::uint32_t point) const { return pointValues[point]; }
    std::uint16_t dimension() const { return smallestDimension; }

private:
    std::vector<const float*> pointValues;
    std::unordered_map<std::uint64_t, const float*> cornerValues;
    std::uint16_t smallestDimension = 0;
};

// Distinct values of N floats in first-use order, compared bit for bit, so corners that share a
// value share one PO2 entry.
template <std::size_t N> class ValueTable {
public:
    std::uint32_t add(const float* value)
    {
        Key key{};
        for (std::size_t i = 0; i < N; ++i)
            key[i] = std::bit_cast<std::uint32_t>(value[i]);
        const auto [slot, added] = index.try_emplace(key, static_cast<std::uint32_t>(index.size()));
        if (added)
            values.insert(values.end(), value, value + N);
        return slot->second;
    }
    std::size_t size() const { return index.size(); }
    std::vector<float> values;

private:
    using Key = std::array<std::uint32_t, N>;
    struct Hash {
        std::size_t operator()(const Key& key) const
        {
            std::uint64_t h = 0xcbf29ce484222325ull;
            for (std::uint32_t word : key)
                h = (h ^ word) * 0x100000001b3ull;
            return static_cast<std::size_t>(h);
        }
    };
    std::unordered_map<Key, std::uint32_t, Hash> index;
};
