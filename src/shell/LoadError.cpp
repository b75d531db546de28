#include "shell/LoadError.h"

#include "platform/MessageBox.h"

void throwCannotLoad(const std::string& path)
{
    const std::string text = "Cannot load file " + path + " from directory";
    showMessage("Loading Error", text, MessageIcon::Error);
    throw LoadError(text);
}
