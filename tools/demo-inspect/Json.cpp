#include "Json.h"

#include "platform/OffscreenSurface.h"
#include "shell/GlStartup.h"

#include <cstdio>

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string jsonNumber(float value)
{
    if (value != value || value - value != 0.0f)
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

bool openInspectContext(OffscreenSurface& surface)
{
    if (const char* failure = surface.create(16, 16)) {
        std::fprintf(stderr, "%s\n", failure);
        return false;
    }
    initialiseGL();
    return true;
}
