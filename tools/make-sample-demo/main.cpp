#include "SampleDemo.h"

#include "shell/LoadError.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// make-sample-demo FOLDER            the bundled demo
// make-sample-demo --tiny FOLDER     a demo of about a second, for end-to-end runs
int main(int argc, char** argv)
{
    try {
        if (argc == 2) {
            writeSampleDemo(argv[1]);
            return 0;
        }
        if (argc == 3 && std::string(argv[1]) == "--tiny") {
            writeTinyDemo(argv[2], 0.5f, 1.0f);
            return 0;
        }
    } catch (const LoadError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: make-sample-demo [--tiny] FOLDER\n");
    return 2;
}
