#pragma once

#include <cstdint>
#include <vector>

class Mesh;

// A mesh laid out for glDrawElements. Each corner of the file names its vertex, texture
// coordinates and colour through separate indices; an element is one distinct combination of
// them, and every corner becomes the index of its element. Coordinates and colours are fixed
// per element here; positions and normals change every frame and are read per element through
// elementVertex (or directly, when elements are the vertices themselves).
struct CornerArrays {
    // One draw call: a run of triangles (quads already split) or a single larger polygon.
    enum class Primitive : std::uint8_t { Triangles, Polygon };
    struct Run {
        Primitive primitive;
        std::uint32_t first; // into indices
        std::uint32_t count;
    };

    bool elementsAreVertices = false;         // element e is vertex e: positions serve unchanged
    std::vector<std::uint32_t> elementVertex; // empty when elementsAreVertices
    std::vector<float> texCoords0;            // [E * 2], with TexCoords0
    std::vector<float> texCoords1;            // [E * 2], with TexCoords1
    std::vector<float> colours;               // [E * 4], with Colours
    std::vector<std::uint32_t> indices;       // elements, run after run
    // Consecutive triangles and quads share one run: their triangles are independent, so one
    // call draws what one glBegin per polygon drew.
    std::vector<Run> runs;
    // The corner immediate mode sends last, whose colour, normal and coordinates it leaves
    // current.
    std::uint32_t lastCorner = 0;
};

// Lays out a polygon mesh; false (out unspecified) where arrays cannot draw it as immediate mode
// does: per-vertex weights have no array here, and a mesh without polygons or corners has
// nothing to draw.
bool buildCornerArrays(const Mesh& mesh, CornerArrays& out);
