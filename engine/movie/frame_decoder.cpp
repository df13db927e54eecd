#include "engine/movie/frame_decoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace movie {

namespace {

constexpr uint32_t kMaxRows = 240;

// The library reports a fatal error by calling error_exit, which must not
// return; it jumps back into Decode, which gives the frame up.
struct JumpingErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

void JumpBack(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(manager->back, 1);
}

// Failures during play are not shown to the user.
void Silent(j_common_ptr) {}

// Plain C state only between setjmp and longjmp: nothing here has a destructor.
bool DecodeInto(jpeg_decompress_struct* info, JumpingErrorManager* errors, const uint8_t* bytes,
                size_t size, uint32_t width, uint32_t height, uint8_t* frame) {
    if (setjmp(errors->back) != 0) {
        jpeg_abort_decompress(info);
        return false;
    }
    jpeg_mem_src(info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(info, TRUE);
    if (info->image_width != width || info->image_height != height) {
        jpeg_abort_decompress(info);
        return false;
    }
    info->dct_method = JDCT_IFAST;
    info->do_fancy_upsampling = FALSE;
    // The components stay in the file's order; the fourth byte pads.
    info->out_color_space = JCS_EXT_RGBX;
    info->scale_num = 1;
    info->scale_denom = 1;
    jpeg_start_decompress(info);
    if (info->output_components != 4 || info->output_width != width ||
        info->output_height != height) {
        jpeg_abort_decompress(info);
        return false;
    }
    // Every row's place at once: the library fills as many as it can per
    // call, which saves a copy of each row pair the upsampler makes.
    JSAMPROW rows[kMaxRows];
    const size_t stride = size_t{width} * kFrameBytesPerPixel;
    for (uint32_t row = 0; row < height; ++row) rows[row] = frame + row * stride;
    while (info->output_scanline < info->output_height) {
        jpeg_read_scanlines(info, rows + info->output_scanline,
                            info->output_height - info->output_scanline);
    }
    jpeg_finish_decompress(info);
    return true;
}

}  // namespace

struct FrameDecoder::Library {
    jpeg_decompress_struct info{};
    JumpingErrorManager errors{};
};

FrameDecoder::FrameDecoder() : library_(std::make_unique<Library>()), frame_(kFrameBufferBytes) {
    Library& l = *library_;
    l.info.err = jpeg_std_error(&l.errors.standard);
    l.errors.standard.error_exit = JumpBack;
    l.errors.standard.output_message = Silent;
    jpeg_create_decompress(&l.info);
}

FrameDecoder::~FrameDecoder() {
    jpeg_destroy_decompress(&library_->info);
}

bool FrameDecoder::Decode(const uint8_t* bytes, size_t size, uint32_t width, uint32_t height) {
    // The buffer holds any picture the container lets through (at most
    // 320 x 240); an empty frame is the converter's record of one it lost.
    if (bytes == nullptr || size == 0 || height > kMaxRows ||
        size_t{width} * height * kFrameBytesPerPixel > frame_.size())
        return false;
    Library& l = *library_;
    const bool decoded = DecodeInto(&l.info, &l.errors, bytes, size, width, height, frame_.data());
    // The library counts afresh for every image.
    warnings_ += l.errors.standard.num_warnings;
    return decoded;
}

}  // namespace movie
