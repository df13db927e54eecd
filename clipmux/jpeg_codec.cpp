#include "clipmux/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

namespace clipmux {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the call that started the work.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (damaged data that the library could read past) are not fatal.
void OnMessage(j_common_ptr, int) {}

}  // namespace

int QualityForChoice(int choice) {
    if (choice < 0 || choice >= kQualityChoiceCount) choice = 4;
    return kQualityPercent[choice];
}

bool EncodeFrameJpeg(const Picture& picture, int quality, formats::ByteVector* jpeg,
                     std::string* why) {
    jpeg->clear();
    if (picture.bytesPerPixel != 3 || picture.width <= 0 || picture.height <= 0) {
        *why = "no 24-bit picture to encode";
        return false;
    }
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        *why = std::string("JPEG encoding failed: ") + errors.message;
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    // Blue, green, red in memory, declared as red, green, blue (see the header).
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // The defaults already halve both chroma components in each direction;
    // stated here because the player depends on it.
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
    info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg->assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}

bool DecodeJpegToBgr(formats::ByteSpan bytes, Picture* out, std::string* why) {
    if (bytes.empty()) {
        *why = "empty JPEG image";
        return false;
    }
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        *why = std::string("JPEG decoding failed: ") + errors.message;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if ((info.num_components != 1 && info.num_components != 3) ||
        info.image_width > kMaxDecodedSide || info.image_height > kMaxDecodedSide) {
        jpeg_destroy_decompress(&info);
        *why = "unsupported JPEG image (components or size)";
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    out->Resize(static_cast<int>(info.output_width), static_cast<int>(info.output_height), 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->Row(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace clipmux
