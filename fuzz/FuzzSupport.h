#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Shared by the fuzz targets: one scratch folder and one offscreen GL context per process.
namespace fuzz {

// The process's scratch folder, made on first use and removed at exit.
const std::string& scratchRoot();

// Writes bytes to scratchRoot()/relativePath (folders made as needed) and returns the full path.
std::string writeFile(const std::string& relativePath, const std::uint8_t* data, std::size_t size);
std::string writeFile(const std::string& relativePath, const std::string& text);

// Makes the offscreen context current with the player's initial state; created once.
void ensureGl();

// A demo folder in the scratch root with stand-ins for what the bundled demo's scenes name:
// small PO2 meshes under objects/, small TGA textures under tex/ (one per light name, for the
// flares), scenes of two still cameras under scn/ for the timeline's scene names, and a vertex
// and a fragment program under shd/ ("vp" and "fp"). Made once; returns the root.
const std::string& standInDemo();

} // namespace fuzz
