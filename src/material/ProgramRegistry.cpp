#include "material/ProgramRegistry.h"

#include "material/ShaderProgram.h"

ProgramRegistry::ProgramRegistry(const DemoPaths& demoPaths) : paths(demoPaths) {}

ProgramRegistry::~ProgramRegistry() = default;
