// preview_decode FILE WIDTH HEIGHT: decodes FILE for a preview pane of that
// size, as the main window does, and prints the size it decoded at and the
// milliseconds the decode took (without the program's own start-up).
#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "PreviewDecoder.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: preview_decode FILE WIDTH HEIGHT\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const murk::TPreview preview = murk::DecodePreview(
        QString::fromLocal8Bit(argv[1]), QSize(std::atoi(argv[2]), std::atoi(argv[3])));
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    if (preview.Image.isNull()) {
        std::fprintf(stderr, "cannot decode %s\n", argv[1]);
        return 1;
    }
    std::printf("%dx%d of %dx%d in %.0f\n", preview.Image.width(), preview.Image.height(),
                preview.FullSize.width(), preview.FullSize.height(), milliseconds);
    return 0;
}
