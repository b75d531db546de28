#pragma once

#include <filesystem>
#include <string>

// The generators of the bundled demo, one file each, and what they share. Internal to
// make-sample-demo's library; SampleDemo.h is its interface.

constexpr float pi = 3.14159265f;

// One RGBA colour in 0..1, of a picture's pixel or a mesh's corner.
struct Rgba8 {
    float r, g, b, a;
};

// Writes bytes to path, making its folders; a failure is a LoadError.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// SamplePictures.cpp: every TGA of the demo into tex; the tiny demo's two.
void writePictures(const std::filesystem::path& tex);
void writeTinyPictures(const std::filesystem::path& tex);

// SampleMeshes.cpp: every PO2 mesh under root/objects; the tiny demo's two boxes.
void writeMeshes(const std::filesystem::path& root);
void writeTinyMeshes(const std::filesystem::path& root);

// SampleScenes.cpp: the four scenes, the city's material file and its two programs under
// root/scn and root/shd; the tiny demo's one scene as text.
void writeScenes(const std::filesystem::path& root);
std::string tinyScene();
// A number as scene and configuration files write it ("%g").
std::string num(float value);

// SampleMusic.cpp: seconds of the demo's music as Ogg Vorbis.
void writeMusic(const std::filesystem::path& path, float seconds);
