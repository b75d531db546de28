#include "JpegTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace {

// Each coefficient of each component on its own, first at two bits' precision fewer and then one
// refinement scan per bit.
std::vector<jpeg_scan_info> manyScans(int components)
{
    constexpr int firstShift = 9;
    std::vector<jpeg_scan_info> scans;
    jpeg_scan_info dc{};
    dc.comps_in_scan = components;
    for (int c = 0; c < components; ++c)
        dc.component_index[c] = c;
    scans.push_back(dc);
    for (int c = 0; c < components; ++c) {
        for (int k = 1; k < DCTSIZE2; ++k) {
            for (int shift = firstShift; shift >= 0; --shift) {
                jpeg_scan_info scan{};
                scan.comps_in_scan = 1;
                scan.component_index[0] = c;
                scan.Ss = k;
                scan.Se = k;
                scan.Ah = shift == firstShift ? 0 : shift + 1;
                scan.Al = shift;
                scans.push_back(scan);
            }
        }
    }
    return scans;
}

} // namespace

std::string encodeJpeg(int width, int height, int components,
                       const std::vector<std::uint8_t>& pixels, int quality, JpegCoding coding)
{
    if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                             static_cast<std::size_t>(components))
        throw std::invalid_argument("encodeJpeg: pixel count does not match the size");
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    std::vector<jpeg_scan_info> scans;
    if (coding == JpegCoding::Progressive)
        jpeg_simple_progression(&info);
    if (coding == JpegCoding::Arithmetic)
        info.arith_code = TRUE;
    if (coding == JpegCoding::ManyScans) {
        scans = manyScans(info.num_components);
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::vector<std::uint8_t> flatPixels(int width, int height, int components,
                                     std::initializer_list<std::uint8_t> value)
{
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width * height * components));
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), value.begin(), value.begin() + components);
    return pixels;
}

std::string withDeclaredSize(std::string jpeg, int width, int height)
{
    // Walk the header segments to the frame header: markers FFC0 to FFCF except FFC4 (Huffman
    // tables), FFC8 (reserved) and FFCC (arithmetic conditioning). Height and width follow the
    // length and the precision byte.
    std::size_t i = 2;
    while (i + 9 < jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xff) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
            marker != 0xcc) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xff);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xff);
            return jpeg;
        }
        const std::size_t length = static_cast<std::size_t>(
            static_cast<unsigned char>(jpeg[i + 2]) << 8 | static_cast<unsigned char>(jpeg[i + 3]));
        i += 2 + length;
    }
    throw std::invalid_argument("withDeclaredSize: no frame header");
}

int scanCount(const std::string& jpeg)
{
    int count = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (static_cast<unsigned char>(jpeg[i]) == 0xff &&
            static_cast<unsigned char>(jpeg[i + 1]) == 0xda)
            ++count;
    return count;
}
