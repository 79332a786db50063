// The preview pane's decoder on arbitrary bytes and pane sizes: it either
// gives nothing, or a picture decoded at a DCT scale of the size the file
// announces that covers what the pane draws, within the pixel limit, the
// same on a second decode; the file is never changed.
#include <fuzzer/FuzzedDataProvider.h>

#include <QImage>

#include "FuzzFile.h"
#include "PreviewDecoder.h"

namespace {

using namespace murkfuzz;

int ScaledSide(int side, int eighths) {
    return int((int64_t(side) * eighths + 7) / 8);
}

bool AtSomeScale(const QSize& image, const QSize& full) {
    for (int eighths = 1; eighths <= 8; ++eighths) {
        if (image == QSize(ScaledSide(full.width(), eighths), ScaledSide(full.height(), eighths))) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The pane's width and height come from the last four bytes (the data
// provider reads numbers from the end), the file is the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const QSize pane(provider.ConsumeIntegralInRange(1, 1000),
                     provider.ConsumeIntegralInRange(1, 1000));
    const TBytes file = provider.ConsumeRemainingBytes<uint8_t>();
    Put(file);
    const QString path = QString::fromStdString(FuzzPath());

    const murk::TPreview preview = murk::DecodePreview(path, pane);
    Require(Get() == file, "the file is unchanged");
    if (preview.Image.isNull()) {
        return 0;
    }
    const QSize image = preview.Image.size();
    const QSize full = preview.FullSize;
    Require(full.width() > 0 && full.height() > 0, "a decoded picture has a size");
    Require(AtSomeScale(image, full), "decoded at a DCT scale of the announced size");
    Require(int64_t(image.width()) * image.height() <= 64 * 1024 * 1024, "within the pixel limit");
    Require(!murk::PreviewTooSmall(preview, pane), "covers what the pane draws");
    Require(preview.Image.format() == QImage::Format_RGB32, "in the pane's pixel format");

    const murk::TPreview again = murk::DecodePreview(path, pane);
    Require(again.FullSize == full && again.Image == preview.Image, "decodes the same again");
    return 0;
}
