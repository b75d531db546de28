// lwsconvert: a LightWave scene of version 3, 4, 5 or 8 to the version 3 layout the player reads.
#include "lwsc/LwsConvert.h"
#include "platform/MessageBox.h"
#include "shell/LoadError.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int statusLoadError = 1;
constexpr int statusUsage = 2;

} // namespace

int main(int argc, char** argv)
{
    turnMessageBoxesOff();
    CLI::App app{"Converts a LightWave scene (LWSC version 3, 4, 5 or 8, as LightWave 6 to 2019 "
                 "save them) into the version 3 layout the player reads.",
                 "lwsconvert"};
    std::string input;
    std::string output;
    bool details = false;
    app.add_option("IN", input, "LightWave scene file")->required();
    app.add_option("OUT", output, "scene file to write (default: standard output)");
    app.add_flag("--report", details,
                 "list every kind of line dropped, default written and value changed");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : statusUsage;
    }

    try {
        const SceneConversion conversion = convertSceneFile(input);
        if (output.empty()) {
            std::fputs(conversion.text.c_str(), stdout);
        } else {
            std::ofstream file(output, std::ios::binary);
            file << conversion.text;
            file.close();
            if (!file)
                throw LoadError("Cannot write scene " + output);
        }
        // The report goes to standard error so that it never mixes into a scene on stdout.
        std::fprintf(stderr, "%s: %s\n", input.c_str(), summaryLine(conversion).c_str());
        if (details)
            std::fputs(conversion.report.details().c_str(), stderr);
    } catch (const LoadError& error) {
        std::fprintf(stderr, "lwsconvert: %s\n", error.what());
        return statusLoadError;
    }
    return 0;
}
