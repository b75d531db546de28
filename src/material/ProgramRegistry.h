#pragma once

#include <memory>
#include <string>
#include <vector>

struct DemoPaths;
struct ShaderProgram;

// The shader programs of the whole demo, each loaded once from rootDir/shd/<name>.txt by the
// material files that name it, and freed at teardown with the GL context still current.
class ProgramRegistry {
public:
    explicit ProgramRegistry(const DemoPaths& paths);
    ProgramRegistry(const ProgramRegistry&) = delete;
    ProgramRegistry& operator=(const ProgramRegistry&) = delete;
    ~ProgramRegistry();

    // The first program of exactly this name, else rootDir/shd/<name>.txt loaded now (GL must be
    // current, outside any display list). A missing file is "Cannot load file %s from directory"
    // (shown and thrown). A text the driver rejects is still kept, and its error goes to
    // standard error once.
    const ShaderProgram& getProgram(const std::string& name);

    const DemoPaths& paths;
    std::vector<std::unique_ptr<ShaderProgram>> programs; // in load order
};
