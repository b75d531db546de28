#include "SampleDemo.h"

#include "platform/MessageBox.h"
#include "shell/LoadError.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

// make-sample-demo FOLDER            the bundled demo
// make-sample-demo --tiny FOLDER     a demo of about a second, for end-to-end runs
int main(int argc, char** argv)
{
    turnMessageBoxesOff();
    CLI::App app("Writes the bundled demo: pictures, PO2 meshes, scenes, timeline and music.",
                 "make-sample-demo");
    std::string folder;
    bool tiny = false;
    app.add_option("FOLDER", folder, "where the demo's files go")->required();
    app.add_flag("--tiny", tiny, "a demo of about a second instead, for end-to-end runs");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError&) {
        std::fprintf(stderr, "usage: make-sample-demo [--tiny] FOLDER\n");
        return 2;
    }
    try {
        if (tiny)
            writeTinyDemo(folder, 0.5f, 1.0f);
        else
            writeSampleDemo(folder);
    } catch (const LoadError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
