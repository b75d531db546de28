// lwo2po2: one layer of a LightWave object (LWO2, LWO3 or LWOB) to the player's PO2 mesh file.
#include "Info.h"

#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Writer.h"
#include "platform/MessageBox.h"
#include "shell/LoadError.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {

constexpr int statusLoadError = 1;
constexpr int statusUsage = 2;
constexpr std::size_t replacedExtension = 3;

} // namespace

int main(int argc, char** argv)
{
    turnMessageBoxesOff();
    CLI::App app{
        "Converts one layer of a LightWave object (LWO2, LWO3 or LWOB) into a PO2 mesh file, "
        "which the player loads beside the object name a scene gives.",
        "lwo2po2"};
    std::string input;
    std::string output;
    ConvertOptions options;
    bool info = false;
    app.add_option("IN", input, "LightWave object file")->required();
    app.add_option("OUT", output,
                   "PO2 file to write (default: IN with its last three characters replaced by "
                   "\"po2\", as the player looks for it)");
    app.add_option("--layer", options.layer,
                   "layer to convert, as scenes count them: LoadObjectLayer N takes the layer "
                   "whose LAYR number is N - 1")
        ->check(CLI::Range(1, 65536));
    app.add_option("--uv1", options.uv1Map, "UV map for texture-coordinate set 1");
    app.add_option("--tex1", options.texture1Name, "texture name for coordinate set 1");
    app.add_option("--env", options.environmentName,
                   "sphere-mapped environment texture (takes texture 1 instead of set 1)");
    app.add_option("--bones", options.boneMaps,
                   "weight maps in bone order, A,B,... (default: weight maps by name)")
        ->delimiter(',');
    app.add_flag("--info", info, "print what the file holds and write nothing");
    try {
        app.parse(argc, argv);
        if (!options.environmentName.empty() &&
            (!options.texture1Name.empty() || !options.uv1Map.empty()))
            throw CLI::ValidationError("--env", "texture 1 is either --env or --tex1/--uv1");
        if (!info && output.empty() && input.size() < replacedExtension)
            throw CLI::ValidationError("IN", "a name of fewer than 3 characters has no "
                                             "extension to replace; give OUT");
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : statusUsage;
    }

    try {
        const LwoObject object = readLwo(input);
        if (info) {
            std::fputs(describeObject(object, input).c_str(), stdout);
            return 0;
        }
        if (output.empty())
            output = input.substr(0, input.size() - replacedExtension) + "po2";
        const Conversion conversion = convertLayer(object, options, input);
        writePo2File(output, conversion.mesh);
        std::printf("%s: %s\n", output.c_str(), summaryLine(conversion).c_str());
    } catch (const LoadError& error) {
        std::fprintf(stderr, "lwo2po2: %s\n", error.what());
        return statusLoadError;
    }
    return 0;
}
