#pragma once

#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <string>

// A demo folder in a temporary directory with the assets a timeline loads through.
struct TimelineFixture {
    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "tex", "scn", 4.0f / 3.0f}};
    Timeline timeline{assets};

    // Writes the configuration tail and the script, then loads both at 1000 ticks per second.
    void load(const std::string& tail, const std::string& script, const std::string& name = "main")
    {
        dir.write(name + ".txt", script);
        const std::string config = dir.write("demo.txt", tail);
        MappedTextFile file(config);
        loadTimeline(timeline, file, 1000);
    }

    // A scene with cameraCount cameras, played at framesPerSecond from firstFrame on.
    void writeScene(const std::string& name, int cameraCount, int framesPerSecond = 30,
                    int firstFrame = 0, const std::string& extra = "")
    {
        std::string text = "LWSC\n3\n\nFirstFrame " + std::to_string(firstFrame) +
                           "\nLastFrame 300\nFrameStep 1\nFramesPerSecond " +
                           std::to_string(framesPerSecond) + "\n\n" + extra;
        // Motion channels are always envelope blocks; a one-key envelope holds a constant.
        const char* values[6] = {"0", "0", "-5", "0", "0", "0"};
        for (int i = 0; i < cameraCount; ++i) {
            text += "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\nNumChannels 6\n";
            for (int c = 0; c < 6; ++c)
                text += "Channel " + std::to_string(c) + "\n{ Envelope\n  1\n  Key " + values[c] +
                        " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
            text += "ZoomFactor 3.2\nResolutionMultiplier 1.0\nFrameSize 640 480\n"
                    "PixelAspect 1\nMaskPosition 0 0 640 480\nMotionBlur 0\nFieldRendering 0\n\n";
        }
        dir.write("scn/" + name + ".lws", text);
    }
};
