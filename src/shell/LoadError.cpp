#include "shell/LoadError.h"

#include "platform/MessageBox.h"

void throwCannotLoad(const std::string& path)
{
    const std::string text = "Cannot load file " + path + " from directory";
    // The box here, where the path is known; standard error gets the text once, from the catch.
    showMessageBox("Loading Error", text, MessageIcon::Error);
    throw LoadError(text);
}
