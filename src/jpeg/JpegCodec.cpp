#include "jpeg/JpegCodec.h"

#include "platform/FileMapping.h"

#include <csetjmp>
#include <optional>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports fatal errors by calling error_exit, which must not return. It long-jumps back
// into the small functions below, which hold no C++ objects with destructors, and those turn the
// jump into a non-zero result. Nothing else in the project sees the jump.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Each scan of a progressive file passes over the whole picture, and nothing in the format
// bounds their number: a small file of many empty scans would decode for minutes. Encoders
// write about ten.
constexpr int maxScans = 100;

struct JpegState {
    jpeg_decompress_struct info{};
    JpegErrorManager error{};
    jpeg_progress_mgr progress{};
    std::optional<FileMapping> file; // read in place; held until the decode is freed
    std::vector<JSAMPROW> rows;
    bool created = false;
    bool headerRead = false;

    ~JpegState()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

namespace {

[[noreturn]] void errorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(error->jump, 1);
}

// libjpeg prints warnings to stderr by default; a decoder that shows nothing is quieter. libjpeg
// fills a picture cut short with grey and calls it a warning; a damaged file is a failure here,
// and it fails at once rather than after decoding the rest of a picture that has no data.
void emitMessage(j_common_ptr info, int level)
{
    auto* error = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level < 0) {
        if (error->base.msg_code == JWRN_JPEG_EOF)
            std::longjmp(error->jump, 1);
        ++error->base.num_warnings;
    }
}

void checkScanCount(j_common_ptr info)
{
    if (info->is_decompressor) {
        const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
        if (decompress->input_scan_number > maxScans)
            std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
    }
}

void outputMessage(j_common_ptr) {}

// The three functions that call into libjpeg under setjmp: plain data only.
int createDecompress(JpegState* state)
{
    if (setjmp(state->error.jump))
        return 1;
    jpeg_create_decompress(&state->info);
    state->created = true;
    return 0;
}

// An empty file (no bytes, null data) fails here: libjpeg refuses an empty source.
int readHeader(JpegState* state, const unsigned char* bytes, unsigned long size)
{
    if (setjmp(state->error.jump))
        return 1;
    jpeg_mem_src(&state->info, bytes, size);
    if (jpeg_read_header(&state->info, TRUE) != JPEG_HEADER_OK)
        return 1;
    return 0;
}

int decompress(JpegState* state, J_COLOR_SPACE outSpace, JSAMPROW* rows, JDIMENSION rowCount)
{
    jpeg_decompress_struct* info = &state->info;
    if (setjmp(state->error.jump)) {
        jpeg_abort_decompress(info);
        return 1;
    }
    info->out_color_space = outSpace;
    info->dct_method = JDCT_ISLOW;
    info->do_fancy_upsampling = TRUE;
    info->scale_num = 1;
    info->scale_denom = 1;
    jpeg_start_decompress(info);
    if (info->output_width * static_cast<JDIMENSION>(info->output_components) == 0 ||
        info->output_width != info->image_width || info->output_height != rowCount) {
        jpeg_abort_decompress(info);
        return 1;
    }
    while (info->output_scanline < info->output_height) {
        const JDIMENSION done = jpeg_read_scanlines(info, rows + info->output_scanline,
                                                    rowCount - info->output_scanline);
        if (done == 0) {
            jpeg_abort_decompress(info);
            return 1;
        }
    }
    jpeg_finish_decompress(info);
    return 0;
}

JpegColour familyOf(J_COLOR_SPACE space)
{
    switch (space) {
    case JCS_GRAYSCALE:
        return JpegColour::Greyscale;
    case JCS_YCbCr:
    case JCS_RGB:
        return JpegColour::YCbCr;
    default:
        return JpegColour::Unknown;
    }
}

} // namespace

JpegDecoder::JpegDecoder() = default;
JpegDecoder::~JpegDecoder() = default;

int jpegInit(JpegDecoder& decoder)
{
    decoder.state = std::make_unique<JpegState>();
    JpegState& state = *decoder.state;
    state.info.err = jpeg_std_error(&state.error.base);
    state.error.base.error_exit = errorExit;
    state.error.base.emit_message = emitMessage;
    state.error.base.output_message = outputMessage;
    if (createDecompress(&state) != 0) {
        decoder.state.reset();
        return 1;
    }
    // Set after creation, which clears everything but the error manager.
    state.progress.progress_monitor = checkScanCount;
    state.info.progress = &state.progress;
    return 0;
}

int jpegReadParams(JpegDecoder& decoder)
{
    if (!decoder.state || decoder.state->headerRead)
        return 1;
    JpegState& state = *decoder.state;
    state.file = FileMapping::open(decoder.sourceFile);
    if (!state.file)
        return 1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(state.file->data());
    if (readHeader(&state, bytes, static_cast<unsigned long>(state.file->size())) != 0)
        return 1;
    state.headerRead = true;
    decoder.width = static_cast<int>(state.info.image_width);
    decoder.height = static_cast<int>(state.info.image_height);
    decoder.channels = state.info.num_components;
    decoder.sourceColour = familyOf(state.info.jpeg_color_space);
    return 0;
}

int jpegReadWholeImage(JpegDecoder& decoder)
{
    if (!decoder.state || !decoder.state->headerRead || !decoder.outputBuffer)
        return 1;
    JpegState& state = *decoder.state;
    const jpeg_decompress_struct& info = state.info;

    // The source colour names what the caller expects; the stream's own transform (JFIF YCbCr or
    // Adobe RGB) decides how it is decoded, so a mismatch of family is the only refusal.
    if (decoder.sourceColour != JpegColour::Unknown &&
        decoder.sourceColour != familyOf(info.jpeg_color_space))
        return 1;

    J_COLOR_SPACE outSpace = info.out_color_space;
    int outChannels = 0;
    switch (decoder.outputColour) {
    case JpegColour::Greyscale:
        outSpace = JCS_GRAYSCALE;
        outChannels = 1;
        break;
    case JpegColour::Bgr:
        outSpace = JCS_EXT_BGR;
        outChannels = 3;
        break;
    case JpegColour::YCbCr:
        outSpace = JCS_YCbCr;
        outChannels = 3;
        break;
    case JpegColour::Unknown:
        // The decoder's own choice: as many channels as the stream converts to by default.
        outChannels = info.out_color_space == JCS_GRAYSCALE ? 1
                      : info.out_color_space == JCS_CMYK    ? 4
                                                            : 3;
        break;
    }
    // Colour cannot be made from a greyscale stream's one channel through this interface.
    if (outSpace != JCS_GRAYSCALE && info.num_components == 1)
        return 1;
    if (decoder.outputChannels != outChannels)
        return 1;

    const long long signedRows = decoder.outputHeight;
    const std::size_t rowCount =
        static_cast<std::size_t>(signedRows < 0 ? -signedRows : signedRows);
    // Checked against the header libjpeg read, not the record's copy, which the caller may have
    // changed: rows are written at the picture's own width whatever the record says.
    if (static_cast<long long>(decoder.outputWidth) != static_cast<long long>(info.image_width) ||
        rowCount != static_cast<std::size_t>(info.image_height) || decoder.outputPadding < 0 ||
        rowCount == 0 || decoder.outputWidth <= 0)
        return 1;
    const std::size_t stride =
        static_cast<std::size_t>(decoder.outputWidth) * static_cast<std::size_t>(outChannels) +
        static_cast<std::size_t>(decoder.outputPadding);
    // The last row needs no padding after it.
    if (stride * rowCount - static_cast<std::size_t>(decoder.outputPadding) > decoder.outputSize)
        return 1;

    state.rows.resize(rowCount);
    for (std::size_t row = 0; row < rowCount; ++row) {
        const std::size_t target = decoder.outputHeight < 0 ? row : rowCount - 1 - row;
        state.rows[row] = decoder.outputBuffer + target * stride;
    }
    if (decoder.maxMemory != 0)
        state.info.mem->max_memory_to_use = static_cast<long>(decoder.maxMemory);
    return decompress(&state, outSpace, state.rows.data(), static_cast<JDIMENSION>(rowCount));
}

int jpegFree(JpegDecoder& decoder)
{
    decoder.state.reset();
    return 0;
}
