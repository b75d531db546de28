#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writes LightWave scene files for tests in the layouts of versions 3, 4, 5 and 8, from one
// description: items carry permanent identifiers, which version 3 turns into load order and the
// later versions write on the declaring line. Newer versions add the lines and blocks those
// LightWave releases write around the items (plug-in blocks, IK lines, pivots, node blocks).
namespace lws {

struct Key {
    double value = 0.0;
    double time = 0.0;
    int shape = 0;
    std::array<double, 6> params{};
};

using Channel = std::vector<Key>; // one key: a constant channel

struct Bone {
    std::uint32_t id = 0;          // 4BBBOOOO
    std::uint32_t parent = 0;      // a bone of the same object, or the object
    std::vector<Channel> channels; // 9
};

struct Item {
    enum class Kind { Object, Null, Light, Camera };
    Kind kind = Kind::Null;
    std::uint32_t id = 0;
    std::string name; // object file, null, light or camera name
    std::vector<Channel> channels;
    std::optional<std::uint32_t> parent;
    std::optional<std::uint32_t> target;
    std::vector<Bone> bones;
    std::optional<std::uint32_t> morphTarget; // an object identifier
    double morphAmount = 0.5;
    std::optional<Channel> dissolve;
    std::array<double, 3> pivot{};
    // Lights.
    int lightType = 1;
    double intensity = 1.0; // as version 3 means it
    std::optional<double> flareIntensity;
    bool flareOn = true;
    double coneAngle = 0.5;
    // Cameras.
    double zoom = 3.2;
};

struct SceneDescription {
    int version = 3;
    std::vector<Item> items; // in file order within each kind: objects, lights, cameras
    double ambientIntensity = 0.25;
};

// Nine channels at rest (scale 1) with position x, y, z; cameras use six.
std::vector<Channel> restChannels(double x = 0, double y = 0, double z = 0, int count = 9);

Item item(Item::Kind kind, std::uint32_t id, std::string name, std::vector<Channel> channels);

std::string writeScene(const SceneDescription& scene);

} // namespace lws
