#pragma once

#include <string>

// The demos this project makes from nothing but its own code: every scene, mesh, picture and
// note is generated here and written with the player's own formats (PO2 through the mesh
// writer, the music through libsndfile).

// The bundled demo: about 30 seconds, three layers (one rendering into a texture), four scenes
// and a synthesised piece of music, into folder (created if needed) with
// "defaultdemoconfig.txt" at its top. Failures are LoadErrors.
void writeSampleDemo(const std::string& folder);

// A demo of a fraction of a second for end-to-end runs: a texture layer and a screen layer, one
// scene, musicSeconds of music and the given end time (the clock runs on past the music).
void writeTinyDemo(const std::string& folder, float musicSeconds, float endTime);
