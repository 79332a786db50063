#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace murk {

// Where a picture of the given size is drawn in a pane: unscaled when it
// fits, else divided by the smallest whole number d >= 2 that makes both
// sides strictly smaller than the pane's; centred. Empty for an empty pane.
QRect PreviewDrawRect(const QSize& picture, const QSize& pane);

struct TPreview {
    // Decoded at reduced size where that is enough; null when the file could
    // not be read or decoded.
    QImage Image;
    // The picture's own size, which the drawing rule works on.
    QSize FullSize;
};

// Decodes a JPEG file with libjpeg at the smallest DCT scale (1/8 to 8/8)
// whose output still covers the size the picture is drawn at in the pane.
// A corrupt or truncated file never ends the program: it gives what could be
// decoded before the damage, or nothing.
TPreview DecodePreview(const QString& path, const QSize& pane);

// Whether a kept preview is too small for the pane as it is now, so the
// picture has to be decoded again at a larger scale.
bool PreviewTooSmall(const TPreview& preview, const QSize& pane);

}  // namespace murk
