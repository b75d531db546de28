// The text readers every format shares: words, numbers in the formatted scan's rules, lines.
#include "FuzzSupport.h"

#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "shell/MappedTextStream.h"
#include "shell/Scan.h"

#include <cstdlib>

namespace {

void readWords(const std::string& path)
{
    MappedTextFile file(path);
    while (!file.atEnd()) {
        const std::string_view peeked = file.peekWord();
        const std::string_view word = file.readWordView();
        if (peeked != word)
            std::abort(); // peeking must see exactly the word that is read next
        std::int32_t i = 0;
        std::uint32_t u = 0;
        float f = 0.0f;
        (void)scanInt(word, i);
        (void)scanUnsigned(word, u);
        (void)scanFloat(word, f);
        (void)scanHex(word, u);
    }
}

void readNumbersAndBoundedWords(const std::string& path)
{
    MappedTextFile file(path);
    std::int32_t i = 0;
    std::uint32_t u = 0;
    float f = 0.0f;
    for (int step = 0; !file.atEnd(); ++step) {
        switch (step % 6) {
        case 0:
            file.readInt(i);
            break;
        case 1:
            file.readFloat(f);
            break;
        case 2:
            file.readUnsigned(u);
            break;
        case 3:
            file.readHex(u);
            break;
        case 4:
            (void)file.readWord(); // words over 249 characters are loading errors
            break;
        default:
            file.skipWords(2);
            break;
        }
    }
}

void readLines(const std::string& path)
{
    MappedTextStream stream(path);
    while (!stream.atEnd()) {
        if (stream.readLine().size() > maxWordLength)
            std::abort();
        stream.skipWhitespace();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::writeFile("text.txt", data, size);
    readWords(path);
    try {
        readNumbersAndBoundedWords(path);
    } catch (const LoadError&) {
    }
    readLines(path);
    return 0;
}
