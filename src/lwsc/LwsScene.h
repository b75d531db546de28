#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A LightWave scene of any version as the converter understands it: plain data, numbers kept
// as the file spelled them so that values pass through unchanged. References hold identifiers
// as the file wrote them; the writer turns them into version 3 load-order numbers.

// "Key value time shape p1 .. p6": nine numbers.
using LwsKey = std::array<std::string, 9>;

struct LwsEnvelope {
    std::vector<LwsKey> keys;
    std::string preBehavior = "1";
    std::string postBehavior = "1";
};

// A value that is a number or an envelope ("(envelope)" and a block).
struct LwsChannel {
    std::string constant = "0";
    std::optional<LwsEnvelope> envelope;
};

struct LwsMotion {
    std::vector<LwsEnvelope> channels; // in file order
};

// An item identifier as written: permanent (version 4 on) or load order (version 3), plus the
// line that wrote it, for errors.
struct LwsReference {
    std::uint32_t id = 0;
    std::size_t line = 0;
};

// Items carry permanent identifiers from version 4, morph targets name them from version 5.
constexpr std::uint32_t firstVersionWithIdentifiers = 4;
constexpr std::uint32_t firstVersionWithMorphIdentifiers = 5;

// The first hexadecimal digit of an identifier names the item's kind.
enum class ItemKind : std::uint32_t { Object = 1, Light = 2, Camera = 3, Bone = 4 };
constexpr int itemKindShift = 28;

struct LwsBone {
    std::size_t line = 0; // the declaring line, for errors
    std::uint32_t id = 0;
    std::string name = "Bone";
    std::string show = "1 -1";
    std::string active = "1";
    std::array<std::string, 3> restPosition = {"0", "0", "0"};
    std::array<std::string, 3> restDirection = {"0", "0", "0"};
    std::string restLength = "1";
    std::string scaleStrength = "1";
    std::string strength = "1";
    std::string minRange = "0";
    std::string maxRange = "1";
    std::string type = "0";
    LwsMotion motion;
    std::optional<LwsReference> parent;
};

struct LwsMorph {
    LwsChannel amount;
    std::optional<LwsReference> target; // "MorphTarget": a number (3, 4) or an identifier
    std::string surfaces;               // "MorphSurfaces" value, empty for none
};

// A plug-in block: its body lines as written, and the value of "PluginEnabled" when it followed.
struct LwsPluginBlock {
    std::vector<std::string> body;
    std::optional<std::string> enabled;
};

struct LwsObject {
    std::size_t line = 0; // the declaring line, for errors
    std::uint32_t id = 0;
    bool isNull = false;
    std::string layer = "1";
    std::string name; // the object file, or the null's name
    std::string show = "6 3";
    LwsMotion motion;
    std::string boneFalloff = "5";
    std::vector<LwsBone> bones;
    std::optional<LwsReference> parent;
    std::optional<LwsReference> target;
    std::optional<LwsReference> goal;
    std::optional<LwsMorph> morph;
    std::optional<LwsPluginBlock> mixer; // the morph mixer plug-in
    std::optional<LwsChannel> dissolve;
    std::optional<LwsChannel> polygonSize;
    std::optional<std::string> lineThickness;
    std::vector<std::pair<std::string, std::string>> switches; // "UnseenByRays 1", ...
    std::string shadowOptions = "7";
    std::array<std::string, 3> pivot = {"0", "0", "0"};
};

// A lens flare exists when "FlareIntensity" was given; the other parts may be missing.
struct LwsFlare {
    std::optional<LwsChannel> intensity;
    std::optional<LwsChannel> nominalDistance;
    std::optional<LwsChannel> dissolve;
    std::optional<std::string> fade;
};

struct LwsLight {
    std::size_t line = 0; // the declaring line, for errors
    std::uint32_t id = 0;
    std::string name = "Light";
    std::string show = "1 5";
    LwsMotion motion;
    std::optional<LwsReference> parent;
    std::optional<LwsReference> target;
    std::array<std::string, 3> colour = {"1", "1", "1"};
    LwsChannel intensity{"1", std::nullopt};
    bool normalized = false; // "Normalize 1": the intensity is in units of pi
    std::optional<std::string> affectCaustics;
    std::optional<std::string> type;    // "LightType"
    std::optional<std::string> handler; // "Plugin LightHandler n NAME"
    std::optional<LwsChannel> coneAngle;
    std::optional<LwsChannel> edgeAngle;
    std::optional<bool> lensFlare; // "LensFlare"
    LwsFlare flare;
    std::string shadowType = "1";
};

struct LwsCamera {
    std::size_t line = 0; // the declaring line, for errors
    std::uint32_t id = 0;
    std::string name = "Camera";
    std::string show = "1 2";
    LwsMotion motion;
    std::optional<LwsReference> parent;
    std::optional<LwsReference> target;
    std::optional<LwsChannel> zoom;
    std::string resolutionMultiplier = "1.0";
    std::string frameSize = "640 480";
    std::string pixelAspect = "1";
    std::optional<std::string> maskPosition;
    std::string motionBlur = "0";
    std::string fieldRendering = "0";
    std::optional<LwsChannel> blurLength;
    bool depthOfField = false;
    std::optional<LwsChannel> focalDistance;
};

struct LwsScene {
    std::uint32_t version = 3;
    // "FirstFrame" ... "FramesPerSecond": keyword and value, in file order.
    std::vector<std::pair<std::string, std::string>> frameLines;
    std::optional<std::array<std::string, 3>> ambientColour;
    std::optional<LwsChannel> ambientIntensity;
    std::optional<std::array<std::string, 3>> backdropColour;
    std::optional<std::string> fogType;
    std::optional<LwsChannel> fogMinDistance;
    std::optional<LwsChannel> fogMaxDistance;
    std::optional<std::array<std::string, 3>> fogColour;
    std::optional<LwsChannel> fgDissolve;
    std::optional<std::string> nearClip;
    std::optional<std::string> bgImage; // the words after "BGImage"
    std::optional<std::string> fgImage;
    std::vector<LwsObject> objects;
    std::vector<LwsLight> lights;
    std::vector<LwsCamera> cameras;
};
