#include "shell/ExtensionLoader.h"

#include "platform/GlProcAddress.h"
#include "shell/GlExtensions.h"

#include <string_view>
#include <type_traits>

namespace {

using Assign = void (*)(GlProcedure);

struct EntryPoint {
    const char* name;
    Assign assign; // null where only reachability matters
};

template <auto& pointer> void slot(GlProcedure procedure)
{
    pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(procedure);
}

struct KnownExtension {
    const char* name;
    std::initializer_list<EntryPoint> entryPoints;
};

const KnownExtension knownExtensions[] = {
    {"GL_VERSION_1_2",
     {{"glBlendColor", nullptr},
      {"glBlendEquation", nullptr},
      {"glDrawRangeElements", nullptr},
      {"glTexImage3D", nullptr},
      {"glTexSubImage3D", nullptr},
      {"glCopyTexSubImage3D", nullptr}}},
    {"GL_VERSION_1_3",
     {{"glActiveTexture", nullptr},
      {"glClientActiveTexture", nullptr},
      {"glMultiTexCoord2f", nullptr},
      {"glMultiTexCoord2fv", nullptr},
      {"glLoadTransposeMatrixf", nullptr},
      {"glMultTransposeMatrixf", nullptr},
      {"glSampleCoverage", nullptr},
      {"glCompressedTexImage2D", nullptr},
      {"glGetCompressedTexImage", nullptr}}},
    {"GL_VERSION_1_4",
     {{"glBlendFuncSeparate", nullptr},
      {"glFogCoordf", nullptr},
      {"glMultiDrawArrays", nullptr},
      {"glPointParameterf", nullptr},
      {"glPointParameterfv", nullptr},
      {"glPointParameteri", nullptr},
      {"glSecondaryColor3f", nullptr},
      {"glWindowPos2f", nullptr}}},
    {"GL_NV_register_combiners",
     {{"glCombinerParameterfvNV", slot<ext::glCombinerParameterfvNV>},
      {"glCombinerParameterfNV", slot<ext::glCombinerParameterfNV>},
      {"glCombinerParameterivNV", slot<ext::glCombinerParameterivNV>},
      {"glCombinerParameteriNV", slot<ext::glCombinerParameteriNV>},
      {"glCombinerInputNV", slot<ext::glCombinerInputNV>},
      {"glCombinerOutputNV", slot<ext::glCombinerOutputNV>},
      {"glFinalCombinerInputNV", slot<ext::glFinalCombinerInputNV>},
      {"glGetCombinerInputParameterfvNV", slot<ext::glGetCombinerInputParameterfvNV>},
      {"glGetCombinerInputParameterivNV", slot<ext::glGetCombinerInputParameterivNV>},
      {"glGetCombinerOutputParameterfvNV", slot<ext::glGetCombinerOutputParameterfvNV>},
      {"glGetCombinerOutputParameterivNV", slot<ext::glGetCombinerOutputParameterivNV>},
      {"glGetFinalCombinerInputParameterfvNV", slot<ext::glGetFinalCombinerInputParameterfvNV>},
      {"glGetFinalCombinerInputParameterivNV", slot<ext::glGetFinalCombinerInputParameterivNV>}}},
    {"GL_NV_register_combiners2",
     {{"glCombinerStageParameterfvNV", slot<ext::glCombinerStageParameterfvNV>},
      {"glGetCombinerStageParameterfvNV", slot<ext::glGetCombinerStageParameterfvNV>}}},
};

std::string unsupported;

const KnownExtension* findKnown(std::string_view name)
{
    for (const KnownExtension& known : knownExtensions)
        if (name == known.name)
            return &known;
    return nullptr;
}

// Versions are refused by their prefix: "1.1.3" must not pass for 1.2.
bool versionSatisfies(std::string_view name)
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version)
        return false;
    const std::string_view have = version;
    const char* older[] = {"1.0", "1.1", "1.2", "1.3"};
    std::size_t olderCount = 0;
    if (name == "GL_VERSION_1_2")
        olderCount = 2;
    else if (name == "GL_VERSION_1_3")
        olderCount = 3;
    else if (name == "GL_VERSION_1_4")
        olderCount = 4;
    for (std::size_t i = 0; i < olderCount; ++i)
        if (have.starts_with(older[i]))
            return false;
    return true;
}

bool listed(std::string_view name)
{
    // The list ends in a space, so every listed name is found with its trailing space.
    const std::string withSpace = std::string(name) + ' ';
    const std::string list = glExtensionList() + ' ';
    for (std::size_t at = list.find(withSpace); at != std::string::npos;
         at = list.find(withSpace, at + 1))
        if (at == 0 || list[at - 1] == ' ')
            return true;
    return false;
}

bool loadOne(std::string_view name)
{
    const bool isVersion = name.starts_with("GL_VERSION_");
    if (isVersion ? !versionSatisfies(name) : !listed(name))
        return false;
    const KnownExtension* known = findKnown(name);
    if (!known)
        return !isVersion;
    // All or nothing: a refused extension leaves its pointers null.
    for (const EntryPoint& entry : known->entryPoints)
        if (!glProcAddress(entry.name))
            return false;
    for (const EntryPoint& entry : known->entryPoints)
        if (entry.assign)
            entry.assign(glProcAddress(entry.name));
    return true;
}

} // namespace

bool ExtensionLoader(const char* names)
{
    unsupported.clear();
    bool all = true;
    const std::string_view list = names ? names : "";
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t start = list.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos)
            break;
        std::size_t end = list.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view name = list.substr(start, end - start);
        if (!loadOne(name)) {
            unsupported.append(name);
            unsupported += ' ';
            all = false;
        }
        at = end;
    }
    return all;
}

const std::string& unsupportedExtensions()
{
    return unsupported;
}
