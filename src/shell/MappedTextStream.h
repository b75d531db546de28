#pragma once

#include "platform/FileMapping.h"

#include <cstdint>
#include <istream>
#include <streambuf>
#include <string>

// A whole text file mapped read-only and read through an input stream over the mapped bytes
// themselves (no copy): line reads, word and number extraction. Not movable: the stream points
// into the object.
class MappedTextStream {
public:
    // A file that cannot be opened is "Cannot load file <path> from directory" (shown, thrown).
    explicit MappedTextStream(std::string path);
    MappedTextStream(const MappedTextStream&) = delete;
    MappedTextStream& operator=(const MappedTextStream&) = delete;

    std::istream& stream() { return input; }
    void skipWhitespace() { input >> std::ws; }
    // Up to 249 characters, stopping before a newline, which stays for the next skipWhitespace.
    // A longer line is split: the rest comes back as the next line.
    std::string readLine();
    // The stream's end-of-file flag. An empty file has no lines: the flag is set at once.
    bool atEnd() const { return input.eof(); }
    const std::string& path() const { return filePath; }

private:
    struct MappedBuffer : std::streambuf {
        MappedBuffer(const char* data, std::size_t size);
    };

    std::string filePath;
    FileMapping mapping;
    MappedBuffer buffer;
    std::istream input;
};
