#include "framework/win/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "framework/core/PhotoTags.h"
#include "framework/core/PictureCoding.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Errors.h"

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace tsb {

TJpegGraphic::TJpegGraphic(HBITMAP owned, int originalWidth, int originalHeight, int orientation)
    : TBitmap(owned), originalWidth_(originalWidth), originalHeight_(originalHeight), orientation_(orientation) {}

namespace {

// libjpeg's working memory beyond the rows it decodes (whole-image buffers of progressive
// files); more than this is refused rather than tried.
constexpr long MaxWorkingMemory = 256L * 1024 * 1024;
// A camera's preview is small; one that needs more than this is not decoded.
constexpr long MaxPreviewMemory = 8L * 1024 * 1024;

// libjpeg reports a fatal error by calling error_exit and expects it never to return. It must
// not throw through libjpeg's C frames: it jumps back to the decoding function, which returns,
// and the caller raises.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void SilentMessage(j_common_ptr) {}  // warnings (data that ends early among them) go nowhere

// Reads the file in blocks, so a file of any size costs one block; the end of the data ends the
// image as libjpeg's own readers do, with a warning and an end marker.
struct FileSource {
    jpeg_source_mgr pub;
    HANDLE file;
    bool started;
    JOCTET buffer[64 * 1024];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    DWORD got = 0;
    if (!::ReadFile(src->file, src->buffer, sizeof src->buffer, &got, nullptr) || got == 0) {
        if (!src->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    src->started = true;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) return;
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    FileSource src;
    // The camera's preview, read from the photo's EXIF block in memory.
    jpeg_decompress_struct preview;
    ErrorManager previewErr;
};

struct Decoded {
    unique_hbitmap bitmap;
    int originalWidth = 0, originalHeight = 0;
    int outputWidth = 0, outputHeight = 0;
    int orientation = 1;
    bool tooLarge = false;
};

// CMYK rows (Adobe's files store them inverted) to blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, BYTE* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        bgr[0] = static_cast<BYTE>(y * k / 255);
        bgr[1] = static_cast<BYTE>(m * k / 255);
        bgr[2] = static_cast<BYTE>(c * k / 255);
    }
}

void StartErrors(j_decompress_ptr cinfo, ErrorManager& err) {
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = SilentMessage;
}

// The pixels of the image whose header cinfo has read, at the scale that fills the fit, into
// out. Runs under its caller's setjmp: no C++ object with a destructor lives in this frame.
void DecodePixels(j_decompress_ptr cinfo, int fitWidth, int fitHeight, Decoded& out) {
    int eighths = DecodeEighths(cinfo->image_width, cinfo->image_height, fitWidth, fitHeight);
    if (eighths == 0) {
        out.tooLarge = true;
        return;
    }
    cinfo->scale_num = static_cast<unsigned>(eighths);
    cinfo->scale_denom = 8;
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(cinfo);
    out.outputWidth = static_cast<int>(cinfo->output_width);
    out.outputHeight = static_cast<int>(cinfo->output_height);

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), out.outputWidth, -out.outputHeight, 1, 24, BI_RGB};
    void* bits = nullptr;
    out.bitmap.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!out.bitmap) return;
    size_t stride = (static_cast<size_t>(cinfo->output_width) * 3 + 3) & ~size_t{3};

    jpeg_start_decompress(cinfo);
    JSAMPARRAY cmykRow =
        cmyk ? (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                           cinfo->output_width * 4, 1)
             : nullptr;
    while (cinfo->output_scanline < cinfo->output_height) {
        BYTE* row = static_cast<BYTE*>(bits) + stride * cinfo->output_scanline;
        if (cmyk) {
            jpeg_read_scanlines(cinfo, cmykRow, 1);
            CmykToBgr(cmykRow[0], row, cinfo->output_width, cinfo->saw_Adobe_marker);
        } else {
            JSAMPROW rows[1] = {row};
            jpeg_read_scanlines(cinfo, rows, 1);
        }
    }
    jpeg_finish_decompress(cinfo);
}

// The first APP1 segment that is an EXIF block; none when there is none.
jpeg_saved_marker_ptr ExifSegment(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) return m;
    return nullptr;
}

// Decodes the camera's preview into out in place of its photo when it serves the fit
// (PreviewServes). False when it does not, and when the preview is damaged: then the photo is
// decoded as if there were none, over whatever this left in out.
bool DecodePreview(Decoder& d, const JOCTET* bytes, size_t length, int fitWidth, int fitHeight, Decoded& out) {
    j_decompress_ptr cinfo = &d.preview;
    StartErrors(cinfo, d.previewErr);
    if (setjmp(d.previewErr.jump)) return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = MaxPreviewMemory;
    jpeg_mem_src(cinfo, bytes, static_cast<unsigned long>(length));
    jpeg_read_header(cinfo, TRUE);
    // A preview claiming more than its photo is no preview of it.
    if (cinfo->image_width > static_cast<JDIMENSION>(out.originalWidth) ||
        cinfo->image_height > static_cast<JDIMENSION>(out.originalHeight) ||
        !PreviewServes(cinfo->image_width, cinfo->image_height, out.originalWidth, out.originalHeight, fitWidth,
                       fitHeight))
        return false;
    DecodePixels(cinfo, fitWidth, fitHeight, out);
    // Damaged data shows grey where it fails, which the photo need not: then the photo is shown.
    return out.bitmap && !out.tooLarge && d.previewErr.pub.num_warnings == 0;
}

// Everything that runs libjpeg on the file. False when libjpeg gave up (its message in
// d.err.message); no C++ object with a destructor lives in this frame, as the jump back skips
// destructors.
bool Decode(Decoder& d, HANDLE file, int fitWidth, int fitHeight, Decoded& out) {
    j_decompress_ptr cinfo = &d.cinfo;
    StartErrors(cinfo, d.err);
    if (setjmp(d.err.jump)) return false;

    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = MaxWorkingMemory;
    d.src.pub.init_source = InitSource;
    d.src.pub.fill_input_buffer = FillInputBuffer;
    d.src.pub.skip_input_data = SkipInputData;
    d.src.pub.resync_to_restart = jpeg_resync_to_restart;
    d.src.pub.term_source = TermSource;
    d.src.file = file;
    cinfo->src = &d.src.pub;
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);

    jpeg_read_header(cinfo, TRUE);
    out.originalWidth = static_cast<int>(cinfo->image_width);
    out.originalHeight = static_cast<int>(cinfo->image_height);
    jpeg_saved_marker_ptr exif = ExifSegment(cinfo);
    TPhotoTags tags = exif ? ReadExifBlock(exif->data, exif->data_length) : TPhotoTags{};
    out.orientation = tags.Orientation;
    // The fit is of the picture upright; the pixels are decoded as stored.
    const bool sideways = TurnsSideways(out.orientation);
    const int storedFitWidth = sideways ? fitHeight : fitWidth, storedFitHeight = sideways ? fitWidth : fitHeight;
    if (storedFitWidth > 0 && storedFitHeight > 0 && tags.PreviewLength > 0 &&
        DecodePreview(d, exif->data + tags.PreviewOffset, tags.PreviewLength, storedFitWidth, storedFitHeight, out)) {
        jpeg_abort_decompress(cinfo);
        return true;
    }
    out.tooLarge = false;
    DecodePixels(cinfo, storedFitWidth, storedFitHeight, out);
    return true;
}

}  // namespace

std::unique_ptr<TJpegGraphic> TJpegGraphic::FromFile(const std::string& file, int fitWidth, int fitHeight) {
    unique_file f(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f) RaiseLastOSError("Cannot open file \"" + file + "\"");
    auto d = std::make_unique<Decoder>();  // the read buffer is too big for a worker's stack
    Decoded out;
    ScopeExit destroy([&] {
        jpeg_destroy_decompress(&d->preview);
        jpeg_destroy_decompress(&d->cinfo);
    });
    if (!Decode(*d, f.get(), fitWidth, fitHeight, out)) {
        if (d->err.pub.msg_code == JERR_NO_BACKING_STORE)
            throw EError("JPEG image needs more than " + std::to_string(MaxWorkingMemory / (1024 * 1024)) +
                         " MB to decode: \"" + file + "\"");
        throw EError("JPEG image is not valid: \"" + file + "\" (" + d->err.message + ")");
    }
    if (out.tooLarge)
        throw EError("JPEG image is too large: \"" + file + "\" (" + std::to_string(out.originalWidth) + " x " +
                     std::to_string(out.originalHeight) + " pixels; at most " + std::to_string(MaxDecodedPixels) +
                     " are decoded, shrunk up to eight times)");
    if (!out.bitmap) throw EOutOfMemory();
    return std::make_unique<TJpegGraphic>(out.bitmap.release(), out.originalWidth, out.originalHeight, out.orientation);
}

void RegisterJpegPictureClass() {
    TScaledGraphicLoader load = [](const std::string& file, int fitWidth, int fitHeight) -> std::unique_ptr<TGraphic> {
        return TJpegGraphic::FromFile(file, fitWidth, fitHeight);
    };
    RegisterPictureClass(".jpeg", "JPEG Image File", load);
    RegisterPictureClass(".jpg", "JPEG Image File", load);
}

}  // namespace tsb
