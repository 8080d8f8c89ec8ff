#include "images/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace {

thread_local char errorText[JMSG_LENGTH_MAX + 64] = "";

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf returnPoint;
};

void returnToDecoder(j_common_ptr info)
{
    // The library refuses other precisions before our own header checks can run; keep our text.
    if (info->err->msg_code == JERR_BAD_PRECISION) {
        setJpegErrorText("Onlt 8-bit presicion is allowed.");
    } else {
        char message[JMSG_LENGTH_MAX];
        info->err->format_message(info, message);
        setJpegErrorText(message);
    }
    longjmp(reinterpret_cast<ErrorManager*>(info->err)->returnPoint, 1);
}

// Warnings about corrupt data are expected from cut files; nothing is printed from a library.
void keepQuiet(j_common_ptr) {}

const JOCTET kEndOfImage[2] = {0xFF, static_cast<JOCTET>(JPEG_EOI)};

void initMemorySource(j_decompress_ptr) {}

// The whole block was handed over at once, so any further request means the data ran out: an
// end-of-image marker lets the decoder finish the picture with what it has.
boolean fillMemorySource(j_decompress_ptr info)
{
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = 2;
    return TRUE;
}

void skipMemorySource(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<size_t>(count) > source->bytes_in_buffer) {
        fillMemorySource(info);
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void termMemorySource(j_decompress_ptr) {}

void useMemorySource(j_decompress_ptr info, const uint8_t* data, size_t length)
{
    auto* source = static_cast<jpeg_source_mgr*>((*info->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(jpeg_source_mgr)));
    source->init_source = initMemorySource;
    source->fill_input_buffer = fillMemorySource;
    source->skip_input_data = skipMemorySource;
    source->resync_to_restart = jpeg_resync_to_restart;
    source->term_source = termMemorySource;
    source->next_input_byte = data;
    source->bytes_in_buffer = length;
    info->src = source;
}

const char* headerProblem(const jpeg_decompress_struct& info)
{
    if (info.num_components != 3)
        return "Number of components should be 3.";
    if (info.jpeg_color_space != JCS_YCbCr)
        return "Onlt Y/Cb/Cr(YUV) color space is supported.";
    if (info.data_precision != 8)
        return "Onlt 8-bit presicion is allowed.";
    if (info.progressive_mode)
        return "Progressive mode is not supported.";
    if (static_cast<long long>(info.image_width) * info.image_height > kMaxJpegPixels)
        return "Not enough memory to show the image.";
    return nullptr;
}

// Everything that must survive a longjmp lives here, outside the frame that calls setjmp.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager errors;
    FILE* file = nullptr;
    uint8_t* pixels = nullptr;
};

void release(DecodeState& state)
{
    jpeg_destroy_decompress(&state.info);
    if (state.file)
        fclose(state.file);
    state.file = nullptr;
}

bool readPixels(DecodeState& state, bool padRowsTo4, DecodedJpeg& out)
{
    jpeg_decompress_struct& info = state.info;
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    for (int c = 0; c < 3; ++c)
        out.sampling[c] = info.comp_info[c].h_samp_factor * info.comp_info[c].v_samp_factor;
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rowBytes = static_cast<size_t>(out.width) * 3;
    if (padRowsTo4)
        out.rowBytes = (out.rowBytes + 3) & ~static_cast<size_t>(3);
    state.pixels = static_cast<uint8_t*>(malloc(out.rowBytes * static_cast<size_t>(out.height)));
    if (!state.pixels) {
        setJpegErrorText("Not enough memory to show the image.");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = state.pixels + out.rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool runDecode(DecodeState& state, const JpegSource& source, bool padRowsTo4, DecodedJpeg& out)
{
    jpeg_decompress_struct& info = state.info;
    info.err = jpeg_std_error(&state.errors.base);
    state.errors.base.error_exit = returnToDecoder;
    state.errors.base.output_message = keepQuiet;
    if (setjmp(state.errors.returnPoint))
        return false;
    jpeg_create_decompress(&info);
    if (source.path) {
        state.file = fopen(source.path, "rb");
        if (!state.file) {
            setJpegErrorText("Cannot open the file.");
            return false;
        }
        jpeg_stdio_src(&info, state.file);
    } else {
        useMemorySource(&info, source.data, source.length);
    }
    jpeg_read_header(&info, TRUE);
    if (const char* problem = headerProblem(info)) {
        setJpegErrorText(problem);
        return false;
    }
    return readPixels(state, padRowsTo4, out);
}

} // namespace

const char* jpegErrorText()
{
    return errorText;
}

void setJpegErrorText(const char* text)
{
    snprintf(errorText, sizeof errorText, "%s", text);
}

bool decodeJpeg(const JpegSource& source, bool padRowsTo4, DecodedJpeg& out)
{
    out = DecodedJpeg{};
    if (!source.path && !source.data) {
        setJpegErrorText("No data.");
        return false;
    }
    auto* state = static_cast<DecodeState*>(calloc(1, sizeof(DecodeState)));
    if (!state) {
        setJpegErrorText("Not enough memory to show the image.");
        return false;
    }
    bool ok = runDecode(*state, source, padRowsTo4, out);
    release(*state);
    if (ok) {
        out.pixels = state->pixels;
    } else {
        free(state->pixels);
        out = DecodedJpeg{};
    }
    free(state);
    return ok;
}
