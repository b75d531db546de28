#include "lwo/LwoReader.h"

#include "lwo/ChunkReader.h"
#include "lwo/LwoChunks.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"

namespace {

constexpr std::size_t formHeaderBytes = 8;

} // namespace

LwoObject parseLwo(std::string_view bytes, const std::string& path)
{
    ChunkReader file(bytes, path, formChunkName);
    if (bytes.size() < formHeaderBytes + 4 || file.id4() != "FORM")
        file.fail("not an IFF FORM file");
    const std::size_t lengthAt = file.offset();
    const std::uint32_t length = file.u4();
    if (length > file.remaining())
        file.failAt(lengthAt, "FORM length " + std::to_string(length) +
                                  " runs past the end of the file (" +
                                  std::to_string(file.remaining()) + " bytes left)");
    // Bytes after the FORM are not part of the object.
    ChunkReader form(bytes.substr(formHeaderBytes, length), path, formChunkName, formHeaderBytes);
    LwoObject object;
    object.form = form.id4();
    if (object.form == "LWO2" || object.form == "LWO3")
        readLwo2Chunks(form, object);
    else if (object.form == "LWOB")
        readLwobChunks(form, object);
    else
        form.fail("form type \"" + object.form + "\" is none of LWO2, LWO3 and LWOB");
    return object;
}

LwoObject readLwo(const std::string& path)
{
    const FileMapping mapping = mapFile(path);
    return parseLwo(std::string_view(mapping.data(), mapping.size()), path);
}
