#pragma once

#include "mesh/Mesh.h"

#include <cstdint>
#include <string>
#include <vector>

// A mesh as a PO2 file holds it, before any texture is resolved. Counts are taken from the
// array sizes: V = positions / 3, P = polygonSizes (or vertexIndices / 3 with TrianglesOnly),
// T0 = texCoords0 / 2, K = colours / 4, T1 = texCoords1 / 2, M = morphSizes. Sections whose
// flag is clear are not written, whatever their arrays hold.
struct Po2Description {
    std::uint8_t flags = 0;
    std::string texture0Name;           // with TexCoords0
    std::string environmentTextureName; // with EnvironmentTexture
    std::string texture1Name;           // with TexCoords1
    std::vector<float> positions;
    std::vector<std::uint16_t> polygonSizes;
    std::vector<std::uint16_t> vertexIndices;
    std::vector<float> texCoords0;
    std::vector<std::uint16_t> texCoord0Indices;
    std::vector<float> colours;
    std::vector<std::uint16_t> colourIndices;
    std::vector<float> texCoords1;
    std::vector<std::uint16_t> texCoord1Indices;
    std::vector<std::uint16_t> morphSizes;
    std::vector<MorphDelta> morphDeltas;
    std::vector<float> vertexWeights;
    std::vector<std::int16_t> triangleBones;
};

// Full refuses anything the reader would refuse (indices beyond their arrays, texture names over
// 249 characters, bone indices over 254, VertexWeights without TrianglesOnly), so every file it
// writes loads back. LayoutOnly checks only that the arrays fit the layout: for damaged files
// made on purpose.
enum class Po2Check : std::uint8_t { Full, LayoutOnly };

// The file's bytes, little-endian and unpadded. A description that fails the check, or whose
// sizes disagree with each other or overflow their 16-bit counts, is a LoadError naming why.
std::string writePo2(const Po2Description& mesh, Po2Check check = Po2Check::Full);

// writePo2 into a file; a file that cannot be written is a LoadError.
void writePo2File(const std::string& path, const Po2Description& mesh,
                  Po2Check check = Po2Check::Full);
