#pragma once

#include <string>

// Pieces of LightWave scene text, laid out the way LightWave 6 and later writes them.
namespace scenetext {

inline std::string number(float value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// A one-key envelope block: the value at every time.
inline std::string envelope(float value)
{
    return "{ Envelope\n  1\n  Key " + number(value) + " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

// A two-key linear envelope from value0 at time 0 to value1 at time 1.
inline std::string rampEnvelope(float value0, float value1)
{
    return "{ Envelope\n  2\n  Key " + number(value0) + " 0 3 0 0 0 0 0 0\n  Key " +
           number(value1) + " 1 3 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

inline std::string channel(float value)
{
    return number(value) + "\n";
}
inline std::string envelopeChannel(float value)
{
    return "(envelope)\n" + envelope(value);
}

// A motion block: position x, y, z, the rest 0 except scale 1.
inline std::string motion(float x = 0.0f, float y = 0.0f, float z = 0.0f, int channels = 9)
{
    const float values[9] = {x, y, z, 0, 0, 0, 1, 1, 1};
    std::string text = "NumChannels " + std::to_string(channels) + "\n";
    for (int i = 0; i < channels; ++i)
        text += "Channel " + std::to_string(i) + "\n" + envelope(values[i % 9]);
    return text;
}

inline std::string header(int firstFrame = 0, int lastFrame = 60, int framesPerSecond = 30)
{
    return "LWSC\n3\n\nFirstFrame " + std::to_string(firstFrame) + "\nLastFrame " +
           std::to_string(lastFrame) + "\nFrameStep 1\nPreviewFirstFrame 0\nPreviewLastFrame " +
           std::to_string(lastFrame) + "\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond " +
           std::to_string(framesPerSecond) + "\n\n";
}

// An object block's opening for a mesh object; `rest` follows the motion.
inline std::string objectLayer(const std::string& objectName, const std::string& rest,
                               float x = 0.0f)
{
    return "LoadObjectLayer 1 " + objectName + "\nShowObject 6 3\nObjectMotion\n" + motion(x) +
           rest + "\n";
}

inline std::string nullObject(const std::string& name, const std::string& rest, float x = 0.0f)
{
    return "AddNullObject " + name + "\nShowObject 6 3\nObjectMotion\n" + motion(x) + rest + "\n";
}

// A light block from "AddLight" up to and including "LightType"; `rest` follows the type.
inline std::string light(const std::string& name, int lightType, float intensity,
                         const std::string& rest = "ShadowType 1\n", const std::string& extra = "")
{
    return "AddLight\nLightName " + name + "\nShowLight 0 5\nLightMotion\n" + motion() + extra +
           "LightColor 1 0.5 0.25\nLightIntensity " + number(intensity) +
           "\nAffectCaustics 1\nLightType " + std::to_string(lightType) + "\n" + rest + "\n";
}

// The camera settings LightWave writes after the zoom: the twelve words, the blur mode and the
// field rendering pair.
inline std::string cameraSettings(int motionBlur = 0)
{
    return "ResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\n"
           "MaskPosition 0 0 640 480\nMotionBlur " +
           std::to_string(motionBlur) + "\nFieldRendering 0\n";
}

inline std::string camera(const std::string& beforeZoom = "", float zoom = 3.2f,
                          const std::string& afterSettings = "")
{
    return "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" + motion(0, 0, -5, 6) +
           beforeZoom + "ZoomFactor " + number(zoom) + "\n" + cameraSettings() + afterSettings +
           "\nApertureHeight 0.015\nAntialiasing 0\n\n";
}

} // namespace scenetext
