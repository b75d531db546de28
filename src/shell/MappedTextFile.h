#pragma once

#include "platform/FileMapping.h"

#include <cstdint>
#include <string>
#include <string_view>

// A whole text file mapped read-only and read through a byte cursor, word by word. Words are
// maximal runs of graphic bytes; every read stops at the end of the mapping.
class MappedTextFile {
public:
    // A file that cannot be opened is "Cannot load file <path> from directory" (shown, thrown).
    explicit MappedTextFile(std::string path);

    bool atEnd() const { return cursor >= size; }
    void skipBlanks();
    // The next word, or "" at the end of the file. A word over 249 characters is a loading error.
    std::string readWord();
    // The next word without a length limit, as a view into the mapping.
    std::string_view readWordView();
    // The next word, leaving the cursor where it was.
    std::string_view peekWord() const;
    void skipWord();
    void skipWords(int count);
    void readInt(std::int32_t& out);
    void readFloat(float& out);
    void readUnsigned(std::uint32_t& out);
    void readHex(std::uint32_t& out);

    // Byte offset of the cursor, for readers that look ahead and come back.
    std::size_t position() const { return cursor; }
    void setPosition(std::size_t offset) { cursor = offset < size ? offset : size; }
    std::string_view bytes() const { return {base, size}; }
    const std::string& path() const { return filePath; }

    // Bytes 0x21-0x7E are graphic, and so are 0x80-0xFF: paths in scene files may carry UTF-8
    // or Latin-1 names, which must stay one word.
    static bool isGraphic(unsigned char byte)
    {
        return (byte > 0x20 && byte < 0x7F) || byte >= 0x80;
    }

private:
    // readWord's word and length check, as a view: numbers convert without a copy.
    std::string_view readCheckedWord();

    std::string filePath;
    FileMapping mapping;
    const char* base;
    std::size_t size;
    std::size_t cursor = 0;
};
