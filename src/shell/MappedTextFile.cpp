#include "shell/MappedTextFile.h"

#include "shell/LoadError.h"
#include "shell/MapFile.h"
#include "shell/Scan.h"

MappedTextFile::MappedTextFile(std::string path)
    : filePath(std::move(path)), mapping(mapFile(filePath)), base(mapping.data()),
      size(mapping.size())
{
}

void MappedTextFile::skipBlanks()
{
    while (cursor < size && !isGraphic(static_cast<unsigned char>(base[cursor])))
        ++cursor;
}

std::string_view MappedTextFile::readWordView()
{
    skipBlanks();
    const std::size_t start = cursor;
    while (cursor < size && isGraphic(static_cast<unsigned char>(base[cursor])))
        ++cursor;
    return {base + start, cursor - start};
}

std::string MappedTextFile::readWord()
{
    return std::string(readCheckedWord());
}

std::string_view MappedTextFile::readCheckedWord()
{
    const std::string_view word = readWordView();
    if (word.size() > maxWordLength)
        throw LoadError("Word longer than 249 characters in " + filePath);
    return word;
}

std::string_view MappedTextFile::peekWord() const
{
    std::size_t at = cursor;
    while (at < size && !isGraphic(static_cast<unsigned char>(base[at])))
        ++at;
    const std::size_t start = at;
    while (at < size && isGraphic(static_cast<unsigned char>(base[at])))
        ++at;
    return {base + start, at - start};
}

void MappedTextFile::skipWord()
{
    readWordView();
}

void MappedTextFile::skipWords(int count)
{
    for (int i = 0; i < count; ++i)
        skipWord();
}

// Numbers are converted from the word; a word too long for the scratch buffer is an error too.
void MappedTextFile::readInt(std::int32_t& out)
{
    scanInt(readCheckedWord(), out);
}
void MappedTextFile::readFloat(float& out)
{
    scanFloat(readCheckedWord(), out);
}
void MappedTextFile::readUnsigned(std::uint32_t& out)
{
    scanUnsigned(readCheckedWord(), out);
}
void MappedTextFile::readHex(std::uint32_t& out)
{
    scanHex(readCheckedWord(), out);
}
