#include "windows/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return; ours jumps back to the
// decoding routine. Everything in that routine's frame is a plain C object, so nothing is skipped that
// would need a destructor.
struct JumpingErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf jumpBack;
};

[[noreturn]] void jumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(manager->jumpBack, 1);
}

// A warning means damaged data (a truncated file is padded by libjpeg with a fake end marker and a grey
// rest); a half-grey picture is worse than none, so every warning is treated as an error. Trace
// messages are ignored and nothing is ever printed.
void emitMessage(j_common_ptr info, int level) {
    if (level < 0) {
        jumpOnError(info);
    }
}

void printNothing(j_common_ptr) {}

// The target of the decoding lives in the caller's frame; the decoding routine only fills it.
struct DecodeTarget {
    QImage image;
};

// Called from the decoding routine once the size is known; it returns to it before any further libjpeg
// call, so the QImage is never under a pending jump.
unsigned char* allocateTarget(DecodeTarget* target, int width, int height) {
    target->image = QImage(width, height, QImage::Format_RGB888);
    return target->image.isNull() ? nullptr : target->image.bits();
}

unsigned char* rowOf(DecodeTarget* target, int row) { return target->image.scanLine(row); }

bool decodeInto(const unsigned char* bytes, unsigned long size, DecodeTarget* target) {
    jpeg_decompress_struct info{};
    JumpingErrorManager errors{};
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpOnError;
    errors.standard.emit_message = emitMessage;
    errors.standard.output_message = printNothing;
    if (setjmp(errors.jumpBack) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > unsigned(MaxJpegSide) ||
        info.image_height > unsigned(MaxJpegSide)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 ||
        allocateTarget(target, int(info.output_width), int(info.output_height)) == nullptr) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rowOf(target, int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            jpeg_destroy_decompress(&info);
            return false;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) {
        return {};
    }
    DecodeTarget target;
    if (!decodeInto(reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()),
                    &target)) {
        return {};
    }
    return target.image;
}
