#pragma once
// Small files that declare pictures far larger than their data, made on the
// spot: a JPEG of a few hundred bytes declaring 11000 × 11000, a JPEG 2000
// code stream of about a hundred bytes declaring 8000 × 8000 (one tile,
// five wavelet levels, every packet empty), and a progressive JPEG of a
// few hundred scans. Shared by the decoder tests and the decoding bench.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace bombs {

using Bytes = std::vector<uint8_t>;

// width x height (grey or 3 components), every sample the same value;
// scans (optional) is a progressive script.
inline Bytes FlatJpeg(uint32_t w, uint32_t h, int components, const std::vector<jpeg_scan_info>& scans = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    if (components == 3) {
        c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    }
    if (!scans.empty()) {
        c.scan_info = scans.data();
        c.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * components, 128);
    while (c.next_scanline < h) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(buf, buf + size);
    std::free(buf);
    return out;
}

// An 8 × 8 grey JPEG whose frame header then claims side × side.
inline Bytes JpegDeclaring(uint16_t side) {
    Bytes jpg = FlatJpeg(8, 8, 1);
    for (std::size_t i = 2; i + 8 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 5] = static_cast<uint8_t>(side >> 8), jpg[i + 6] = static_cast<uint8_t>(side);
            jpg[i + 7] = static_cast<uint8_t>(side >> 8), jpg[i + 8] = static_cast<uint8_t>(side);
            break;
        }
    return jpg;
}

// A progressive 3-component picture with one scan per coefficient and
// bit: 1 DC scan, then 3 AC scans per coefficient and component, cut to
// count scans in all (at most 570; coefficients left out stay zero).
inline Bytes ManyScanJpeg(uint32_t side, std::size_t count) {
    std::vector<jpeg_scan_info> scans;
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int comp = 0; comp < 3; ++comp)
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {comp, 0, 0, 0}, k, k, 0, 2});
            scans.push_back({1, {comp, 0, 0, 0}, k, k, 2, 1});
            scans.push_back({1, {comp, 0, 0, 0}, k, k, 1, 0});
        }
    if (count < scans.size()) scans.resize(count);
    return FlatJpeg(side, side, 3, scans);
}

// A JPEG 2000 code stream of side × side grey samples in one tile, with
// five wavelet levels and no coded data (six empty packets).
inline Bytes Jpeg2000Declaring(uint32_t side) {
    Bytes b = {0xFF, 0x4F, 0xFF, 0x51, 0x00, 0x29, 0x00, 0x00};
    auto put32 = [&b](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
    };
    put32(side), put32(side), put32(0), put32(0);       // size, origin
    put32(side), put32(side), put32(0), put32(0);       // tile size, tile origin
    b.insert(b.end(), {0x00, 0x01, 0x07, 0x01, 0x01});  // one 8-bit component, no subsampling
    // COD: no progression options, one layer, no colour transform, five
    // levels, 64 × 64 code blocks, reversible 5/3 wavelet.
    b.insert(b.end(), {0xFF, 0x52, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01});
    // QCD: no quantisation, one exponent per sub-band (16).
    b.insert(b.end(), {0xFF, 0x5C, 0x00, 0x13, 0x40});
    for (int i = 0; i < 16; ++i) b.push_back(0x48);
    // One tile part: SOT, SOD, six empty packets.
    b.insert(b.end(), {0xFF, 0x90, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x01});
    b.insert(b.end(), {0xFF, 0x93, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

}  // namespace bombs
