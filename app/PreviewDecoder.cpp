#include "PreviewDecoder.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include "JpegErrors.h"

namespace murk {

namespace {

// A damaged header can announce a picture of 65535 x 65535; nothing larger
// than this is decoded for the pane.
constexpr qint64 MaxPreviewPixels = 64 * 1024 * 1024;
// libjpeg's own buffers (the whole coefficient array of a progressive file).
constexpr long MaxDecoderMemory = 512L * 1024 * 1024;
// Larger files are not previewed.
constexpr off_t MaxPreviewFileBytes = off_t(256) * 1024 * 1024;

// Warnings (a missing end marker, corrupt data that libjpeg skips) are
// expected in the files this program meets; the picture is shown anyway, so
// the error manager's warning flag is not read here.

// These run the libjpeg calls that may fail. A failure jumps back to their
// setjmp, so no object with a destructor may live in them.
bool Create(jpeg_decompress_struct* cinfo, TJpegErrors* errors, FILE* file) {
    if (setjmp(errors->Jump)) {
        return false;
    }
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = MaxDecoderMemory;
    jpeg_stdio_src(cinfo, file);
    return true;
}

bool ReadHeader(jpeg_decompress_struct* cinfo, TJpegErrors* errors) {
    if (setjmp(errors->Jump)) {
        return false;
    }
    return jpeg_read_header(cinfo, TRUE) == JPEG_HEADER_OK;
}

bool StartDecompress(jpeg_decompress_struct* cinfo, TJpegErrors* errors) {
    if (setjmp(errors->Jump)) {
        return false;
    }
    return jpeg_start_decompress(cinfo) == TRUE;
}

bool ReadScanlines(jpeg_decompress_struct* cinfo, TJpegErrors* errors, uchar* bits,
                   qsizetype bytesPerLine) {
    if (setjmp(errors->Jump)) {
        // Damage after the last line (in the trailing markers) costs nothing.
        return cinfo->output_scanline == cinfo->output_height;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = bits + qsizetype(cinfo->output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
            return false;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The file as a stream for libjpeg, which reads it in small pieces, so no
// copy of a large picture is held. Only a regular file is opened, since
// opening a FIFO that has a picture's name would wait for a writer for ever.
FILE* OpenRegular(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > MaxPreviewFileBytes) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

int ScaledSide(JDIMENSION side, int eighths) {
    return int((qint64(side) * eighths + 7) / 8);
}

// The smallest number of eighths whose output covers the drawn size.
int ScaleEighths(const QSize& full, const QSize& drawn) {
    for (int eighths = 1; eighths < 8; ++eighths) {
        if (ScaledSide(JDIMENSION(full.width()), eighths) >= drawn.width() &&
            ScaledSide(JDIMENSION(full.height()), eighths) >= drawn.height()) {
            return eighths;
        }
    }
    return 8;
}

// libjpeg hands CMYK back as Adobe writes it, inverted, when the file has an
// Adobe marker. Each pixel's four bytes are replaced in place.
void CmykToRgb32(QImage& image, bool inverted) {
    for (int y = 0; y < image.height(); ++y) {
        uchar* bytes = image.scanLine(y);
        QRgb* pixels = reinterpret_cast<QRgb*>(bytes);
        for (int x = 0; x < image.width(); ++x) {
            const uchar* pixel = bytes + 4 * x;
            int c = pixel[0], m = pixel[1], yellow = pixel[2], k = pixel[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yellow = 255 - yellow;
                k = 255 - k;
            }
            pixels[x] = qRgb(c * k / 255, m * k / 255, yellow * k / 255);
        }
    }
}

TPreview Decode(FILE* file, const QSize& pane) {
    TPreview preview;
    jpeg_decompress_struct cinfo{};
    TJpegErrors errors{};
    cinfo.err = JpegErrors(errors);
    if (!Create(&cinfo, &errors, file)) {
        jpeg_destroy_decompress(&cinfo);
        return preview;
    }
    if (ReadHeader(&cinfo, &errors)) {
        const QSize full(int(cinfo.image_width), int(cinfo.image_height));
        const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
        // Four bytes a pixel in QImage's RGB32 order, which is B, G, R, X in
        // memory on a little-endian machine.
        cinfo.out_color_space =
            cmyk ? JCS_CMYK : (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB);
        cinfo.scale_num = unsigned(ScaleEighths(full, PreviewDrawRect(full, pane).size()));
        cinfo.scale_denom = 8;
        const int width = ScaledSide(cinfo.image_width, int(cinfo.scale_num));
        const int height = ScaledSide(cinfo.image_height, int(cinfo.scale_num));
        if (qint64(width) * height <= MaxPreviewPixels && StartDecompress(&cinfo, &errors) &&
            cinfo.output_components == 4 && int(cinfo.output_width) == width &&
            int(cinfo.output_height) == height) {
            QImage image(width, height, QImage::Format_RGB32);
            if (!image.isNull() &&
                ReadScanlines(&cinfo, &errors, image.bits(), image.bytesPerLine())) {
                if (cmyk) {
                    CmykToRgb32(image, cinfo.saw_Adobe_marker);
                }
                preview.Image = std::move(image);
                preview.FullSize = full;
            }
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return preview;
}

}  // namespace

QRect PreviewDrawRect(const QSize& picture, const QSize& pane) {
    const int w = picture.width(), h = picture.height();
    const int pw = pane.width(), ph = pane.height();
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) {
        return {};
    }
    int dw = w, dh = h;
    if (w > pw || h > ph) {
        // The smallest d with w div d < pw is w div pw + 1; likewise for h.
        const int d = std::max({2, w / pw + 1, h / ph + 1});
        dw = w / d;
        dh = h / d;
    }
    return {(pw - dw) / 2, (ph - dh) / 2, dw, dh};
}

TPreview DecodePreview(const QString& path, const QSize& pane) {
    FILE* file = OpenRegular(path);
    if (file == nullptr) {
        return {};
    }
    TPreview preview = Decode(file, pane);
    std::fclose(file);
    return preview;
}

bool PreviewTooSmall(const TPreview& preview, const QSize& pane) {
    if (preview.Image.isNull() || preview.Image.size() == preview.FullSize) {
        return false;
    }
    const QSize drawn = PreviewDrawRect(preview.FullSize, pane).size();
    return drawn.width() > preview.Image.width() || drawn.height() > preview.Image.height();
}

}  // namespace murk
