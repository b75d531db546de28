#include "shell/MappedTextStream.h"

#include "shell/LoadError.h"
#include "shell/MapFile.h"

MappedTextStream::MappedBuffer::MappedBuffer(const char* data, std::size_t size)
{
    // The get area is only read; streambuf's interface just lacks a const form.
    char* begin = const_cast<char*>(data);
    setg(begin, begin, begin + size);
}

MappedTextStream::MappedTextStream(std::string path)
    : filePath(std::move(path)), mapping(mapFile(filePath)), buffer(mapping.data(), mapping.size()),
      input(&buffer)
{
    if (mapping.size() == 0)
        input.setstate(std::ios::eofbit);
}

std::string MappedTextStream::readLine()
{
    std::string line;
    skipWhitespace();
    while (line.size() < maxWordLength) {
        const auto next = input.peek();
        if (next == std::char_traits<char>::eof() || next == '\n')
            break;
        line.push_back(static_cast<char>(input.get()));
    }
    return line;
}
