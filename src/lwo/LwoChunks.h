#pragma once

#include "lwo/LwoObject.h"

class ChunkReader;

// The chunks after the form type, for each form. Internal to the reader.
void readLwo2Chunks(ChunkReader& form, LwoObject& object);
void readLwobChunks(ChunkReader& form, LwoObject& object);
// A FORM chunk inside an LWO3 file: surfaces and clips, whose parts nest as forms.
void readLwo3Form(ChunkReader& chunk, LwoObject& object);

// A PNTS chunk appended to the layer's positions; returns how many points it held.
std::uint32_t readPoints(ChunkReader& chunk, LwoLayer& layer);
