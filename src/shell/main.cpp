#include "platform/CommandLine.h"
#include "platform/MessageBox.h"
#include "shell/LoadError.h"
#include "shell/Startup.h"

int main(int argc, char** argv)
{
    // Declared outside the try so that the message is shown before anything is torn down.
    DemoSession session;
    try {
        session.start(joinCommandLine(argc, argv));
        return session.run();
    } catch (const LoadError& error) {
        showMessage("Loading Error", error.what(), MessageIcon::Error);
        return 1;
    }
}
