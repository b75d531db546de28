#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Colour layouts on either side of the codec. Unknown keeps the decoder's own choice.
enum class JpegColour : std::uint8_t {
    Unknown = 0,
    Greyscale = 1,
    YCbCr = 2, // three-channel source; Adobe RGB files are recognised and decoded as such
    Bgr = 3,   // three bytes per pixel: blue, green, red
};

struct JpegState;

// The properties of one picture's decode: the source file, the picture as the header describes
// it, and the caller's output buffer. One record serves every call for one picture; the
// destructor releases whatever the codec still holds, so an early throw leaks nothing.
struct JpegDecoder {
    JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
    ~JpegDecoder();

    // Mapped whole by jpegReadParams and read in place; the mapping goes with jpegFree or the
    // record.
    std::string sourceFile;

    // Filled in by jpegReadParams.
    int width = 0;
    int height = 0;
    int channels = 0;
    JpegColour sourceColour = JpegColour::Unknown;

    // Described by the caller before jpegReadWholeImage. A negative outputHeight puts the top row
    // at the lowest address; a positive one stores the picture bottom row first.
    int outputWidth = 0;
    int outputHeight = 0;
    int outputChannels = 0;
    int outputPadding = 0; // bytes after each row
    JpegColour outputColour = JpegColour::Unknown;
    std::uint8_t* outputBuffer = nullptr; // not owned
    std::size_t outputSize = 0;           // bytes available at outputBuffer
    // Bytes libjpeg may hold for the decode beyond the output, 0 for no limit. Progressive and
    // multi-scan files make it buffer every coefficient of the picture; past the limit the
    // decode fails instead.
    std::size_t maxMemory = 0;

    std::unique_ptr<JpegState> state;
};

// Each returns 0 on success and non-zero on failure; libjpeg's own errors become failures.
int jpegInit(JpegDecoder& decoder);
int jpegReadParams(JpegDecoder& decoder);
int jpegReadWholeImage(JpegDecoder& decoder);
int jpegFree(JpegDecoder& decoder);
