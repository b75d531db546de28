#include "support/LwsWriter.h"

#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace lws {

namespace {

std::string number(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string hex(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

class Writer {
public:
    explicit Writer(const SceneDescription& scene) : scene(scene) {}

    std::string write()
    {
        out = "LWSC\n" + std::to_string(scene.version) + "\n\n";
        if (scene.version >= 8)
            sceneWideBlocks();
        out += "FirstFrame 1\nLastFrame 90\nFrameStep 1\nPreviewFirstFrame 0\n"
               "PreviewLastFrame 90\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond 30\n";
        if (scene.version >= 5)
            out += "RenderRangeType 0\nRenderRangeObject 0\nRenderRangeArbitrary 1-90\n";
        if (scene.version >= 8)
            out += "AutoKeyFixedFrame 0\n";
        out += "\n";
        for (const Item& item : scene.items)
            if (item.kind == Item::Kind::Object || item.kind == Item::Kind::Null)
                object(item);
        if (scene.version < 8)
            out +=
                "AmbientColor 1 1 1\nAmbientIntensity " + number(scene.ambientIntensity) + "\n\n";
        for (const Item& item : scene.items)
            if (item.kind == Item::Kind::Light)
                light(item);
        for (const Item& item : scene.items)
            if (item.kind == Item::Kind::Camera)
                camera(item);
        out += "BackdropColor 0.1 0.2 0.3\nFogType 0\nFogMinDistance 0\nFogMaxDistance 1\n"
               "FogColor 0 0 0\n\nViewConfiguration 0\nCurrentObject 0\nCurrentLight 0\n"
               "CurrentCamera 0\nGraphEditorFavorites\n{ GraphEd_Favorites\n}\n";
        return out;
    }

private:
    // Version 3 refers to items by load order within their kind.
    std::uint32_t reference(std::uint32_t id) const
    {
        return scene.version >= 4 ? id : loadOrder(id);
    }

    std::uint32_t loadOrder(std::uint32_t id) const
    {
        const std::uint32_t kind = id >> 28;
        if (kind == 4) {
            for (const Item& item : scene.items)
                for (std::size_t b = 0; b < item.bones.size(); ++b)
                    if (item.bones[b].id == id)
                        return 0x40000000u | static_cast<std::uint32_t>(b) << 16 |
                               (loadOrder(item.id) & 0xFFFFu);
            throw std::logic_error("test scene names an unknown bone");
        }
        std::uint32_t order = 0;
        for (const Item& item : scene.items) {
            if (item.id == id)
                return kind << 28 | order;
            if (item.id >> 28 == kind)
                ++order;
        }
        throw std::logic_error("test scene names an unknown item");
    }

    std::string declared(std::uint32_t id) const { return scene.version >= 4 ? " " + hex(id) : ""; }

    void envelope(const Channel& keys)
    {
        out += "{ Envelope\n  " + std::to_string(keys.size()) + "\n";
        for (const Key& key : keys) {
            out += "  Key " + number(key.value) + " " + number(key.time) + " " +
                   std::to_string(key.shape);
            for (double param : key.params)
                out += " " + number(param);
            out += "\n";
        }
        out += "  Behaviors 1 1\n";
        // Newer files may carry modifiers that no key expresses.
        if (scene.version >= 8 && keys.size() > 1)
            out += "  { ChannelHandler\n    Server \"LW_Noisy\"\n    { Data\n      0.1 2\n"
                   "    }\n  }\n";
        out += "}\n";
    }

    void motion(const char* keyword, const std::vector<Channel>& channels)
    {
        out += std::string(keyword) + "\nNumChannels " + std::to_string(channels.size()) + "\n";
        for (std::size_t i = 0; i < channels.size(); ++i) {
            out += "Channel " + std::to_string(i) + "\n";
            envelope(channels[i]);
        }
    }

    void sceneWideBlocks()
    {
        out += "Plugin VolumetricIntegratorHandler 1 Volumetric\n  12 0.5\n  { Nested\n    1 2\n"
               "  }\nEndPlugin\nColorSpaceViewer sRGB\nColorSpaceSurfaceColor sRGB\n"
               "BufferList\n{\n  Buffer \"Final Render\"\n}\nEndAttribute\nNoiseFilter\n{\n"
               "  Amount 0.5\n}\nEndAttribute\n";
    }

    void object(const Item& item)
    {
        if (item.kind == Item::Kind::Null)
            out += "AddNullObject" + declared(item.id) + " " + item.name + "\n";
        else
            out += "LoadObjectLayer 1" + declared(item.id) + " " + item.name + "\n";
        if (scene.version >= 8)
            out += "ChangeObject 0\nShowObject 7 7\n";
        else if (scene.version >= 5)
            out += "ShowObject 7 -1 0.376471 0.878431 0.941176\n";
        else
            out += "ShowObject 6 3\n";
        motion("ObjectMotion", item.channels);
        if (!item.bones.empty()) {
            out += "BoneFalloffType 5\n";
            for (const Bone& bone : item.bones) {
                out += "AddBone" + declared(bone.id) +
                       "\nBoneName Bone\nShowBone 1 -1\n"
                       "BoneActive 1\nBoneRestPosition 0 0.5 0\nBoneRestDirection 90 0 0\n"
                       "BoneRestLength 0.5\nScaleBoneStrength 1\nBoneStrength 1\n";
                if (scene.version >= 5)
                    out += "BoneWeightMapName Bone\nBoneWeightMapOnly 1\n";
                out += "BoneMinRange 0\nBoneMaxRange 1\nBoneType 0\n";
                motion("BoneMotion", bone.channels);
                out += "ParentItem " + hex(reference(bone.parent)) + "\n";
            }
        }
        if (scene.version >= 5)
            out += "IKInitCustomFrame 0\nGoalStrength 1\nIKFKBlending 0\nIKSoftMin 0.25\n"
                   "IKSoftMax 0.75\nCtrlPosItemBlend 1\nPathAlignLookAhead 0.033\n"
                   "PathAlignMaxLookSteps 10\nPivotPosition " +
                   number(item.pivot[0]) + " " + number(item.pivot[1]) + " " +
                   number(item.pivot[2]) + "\n";
        if (scene.version >= 8)
            out += "PivotRotation 0 0 0\n";
        if (scene.version >= 5)
            out += "SplineFlags 0\nSplineFit 0\n";
        if (item.parent)
            out += "ParentItem " + hex(reference(*item.parent)) + "\n";
        if (item.target)
            out += "TargetItem " + hex(reference(*item.target)) + "\n";
        if (item.morphTarget)
            morph(item);
        if (scene.version >= 8)
            out += "Plugin MeshModifierHandler 1 _Subdivision\n  Level 2\nEndPlugin\n"
                   "PluginEnabled 1\nSubPatchLevel 3 3\nNodeDisplacement 0\n";
        if (item.dissolve) {
            out += "ObjectDissolve (envelope)\n";
            envelope(*item.dissolve);
        }
        out += "ShadowOptions 7\n\n";
    }

    void morph(const Item& item)
    {
        if (scene.version >= 8) {
            out += "Plugin MeshDeformerHandler 1 _Morphing\n  MorphAmount " +
                   number(item.morphAmount) + "\n  MorphTarget " + hex(*item.morphTarget) +
                   "\n  MorphSurfaces 0\nEndPlugin\nPluginEnabled 1\n";
            return;
        }
        // Numbers count objects from 1 before version 5.
        const std::string target =
            scene.version >= 5 ? hex(*item.morphTarget)
                               : std::to_string((loadOrder(*item.morphTarget) & 0xFFFFu) + 1);
        out += "MorphAmount " + number(item.morphAmount) + "\nMorphTarget " + target +
               "\nMorphSurfaces 0\n";
    }

    void light(const Item& item)
    {
        static const char* handlers[] = {"DistantLight", "PointLight", "SpotLight", "LinearLight",
                                         "AreaLight"};
        out += "AddLight" + declared(item.id) + "\nLightName " + item.name + "\nShowLight 1 5\n";
        motion("LightMotion", item.channels);
        if (item.parent)
            out += "ParentItem " + hex(reference(*item.parent)) + "\n";
        if (item.target)
            out += "TargetItem " + hex(reference(*item.target)) + "\n";
        out += "LightColor 1 0.9 0.8\n";
        // LightWave 2018 on counts intensity in units of pi when normalised.
        if (scene.version >= 8)
            out +=
                "LightIntensity " + number(item.intensity * std::numbers::pi) + "\nNormalize 1\n";
        else
            out += "LightIntensity " + number(item.intensity) + "\n";
        out += "AffectCaustics 1\n";
        if (scene.version < 8)
            out += "LightType " + std::to_string(item.lightType) + "\n";
        if (item.lightType == 2)
            out += "LightConeAngle " + number(item.coneAngle) + "\nLightEdgeAngle 0.1\n";
        if (item.flareIntensity)
            out += "LensFlare " + std::string(item.flareOn ? "1" : "0") + "\nFlareIntensity " +
                   number(*item.flareIntensity) +
                   "\nFlareNominalDistance 2\nFlareDissolve 0\nLensFlareFade 4\n"
                   "LensFlareOptions 7\n";
        out += "ShadowType 1\nShadowColor 0 0 0\n";
        if (scene.version >= 5)
            out += "Plugin LightHandler 1 " + std::string(handlers[item.lightType]) + "\n" +
                   (scene.version >= 8 ? "  Intensity 1\n" : "") + "EndPlugin\n";
        if (scene.version >= 8)
            out += "VolumetricLighting 0\nLightShader 1\n{\n  { Nodes\n  }\n}\n";
        out += "\n";
    }

    void camera(const Item& item)
    {
        out += "AddCamera" + declared(item.id) + "\nCameraName " + item.name + "\nShowCamera 1 2\n";
        motion("CameraMotion", item.channels);
        if (item.parent)
            out += "ParentItem " + hex(reference(*item.parent)) + "\n";
        out += "ZoomFactor " + number(item.zoom) + "\n";
        if (scene.version >= 5)
            out += "ZoomType 1\n";
        out += "ResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\n";
        if (scene.version < 8)
            out += "MaskPosition 0 0 640 480\n";
        else
            out += "OverscanMode 0\nOverscanSize 0 0\n";
        out += "MotionBlur 0\nFieldRendering 0\n\nApertureHeight 0.015\nAntialiasing 0\n"
               "DepthOfField 1\nFocalDistance 1\nLensFStop 4\n";
        if (scene.version >= 8)
            out += "Plugin CameraHandler 1 Perspective\nEndPlugin\n";
        out += "\n";
    }

    const SceneDescription& scene;
    std::string out;
};

} // namespace

std::vector<Channel> restChannels(double x, double y, double z, int count)
{
    const double values[9] = {x, y, z, 0, 0, 0, 1, 1, 1};
    std::vector<Channel> channels;
    for (int i = 0; i < count; ++i)
        channels.push_back({Key{values[i], 0.0}});
    return channels;
}

Item item(Item::Kind kind, std::uint32_t id, std::string name, std::vector<Channel> channels)
{
    Item made;
    made.kind = kind;
    made.id = id;
    made.name = std::move(name);
    made.channels = std::move(channels);
    return made;
}

std::string writeScene(const SceneDescription& scene)
{
    return Writer(scene).write();
}

} // namespace lws
