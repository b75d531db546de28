#pragma once

#include <memory>
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

    const DemoPaths& paths;
    std::vector<std::unique_ptr<ShaderProgram>> programs; // in load order
};
