#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>

#include <chrono>

#include "PreviewDecoder.h"
#include "TestFiles.h"
#include "main.h"

using namespace murk;

namespace {

QString Written(const murktest::TTempDir& folder, const std::string& name,
                const murktest::TBytes& bytes) {
    murktest::WriteBytes(folder.File(name), bytes);
    return QString::fromStdString(folder.File(name));
}

TEST(PreviewDrawRect, DividesByTheSmallestWholeNumberThatFitsAndCentres) {
    struct Case {
        QSize Picture, Pane;
        QRect Expected;
    };
    const Case cases[] = {
        {{1600, 1200}, {161, 153}, {0, 16, 160, 120}},  // divisor 10
        {{640, 480}, {161, 153}, {0, 16, 160, 120}},    // divisor 4
        {{161, 153}, {161, 153}, {0, 0, 161, 153}},     // exactly the pane: unscaled
        {{162, 100}, {161, 153}, {40, 51, 81, 50}},     // one pixel too wide: half
        {{100, 50}, {161, 153}, {30, 51, 100, 50}},     // never enlarged
        {{300, 20}, {161, 153}, {5, 71, 150, 10}},      // the wide side decides
        {{1600, 1200}, {0, 0}, {}},                     // a hidden pane draws nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PreviewDrawRect(c.Picture, c.Pane), c.Expected)
            << c.Picture.width() << "x" << c.Picture.height() << " in " << c.Pane.width() << "x"
            << c.Pane.height();
    }
}

TEST(DecodePreview, DecodesAtTheSmallestScaleThatCoversTheDrawnSize) {
    murktest::TTempDir folder;
    struct Case {
        QSize Picture, Pane, Decoded;
    };
    const Case cases[] = {
        {{1600, 1200}, {161, 153}, {200, 150}},  // drawn 160 x 120: one eighth covers it
        {{640, 480}, {161, 153}, {160, 120}},    // two eighths
        {{162, 100}, {161, 153}, {81, 50}},      // drawn 81 x 50: four eighths
        {{100, 80}, {161, 153}, {100, 80}},      // unscaled: full size
        {{6000, 4000}, {600, 400}, {750, 500}},  // drawn 545 x 363
        {{640, 480}, {0, 0}, {80, 60}},          // no pane yet: the smallest
    };
    for (const Case& c : cases) {
        const QString path =
            Written(folder, "p.jpg", murktest::MakeJpeg(c.Picture.width(), c.Picture.height()));
        const TPreview preview = DecodePreview(path, c.Pane);
        EXPECT_EQ(preview.FullSize, c.Picture);
        EXPECT_EQ(preview.Image.size(), c.Decoded)
            << c.Picture.width() << "x" << c.Picture.height();
    }
}

TEST(DecodePreview, BrokenFilesGiveNoPictureWithoutStoppingTheProgram) {
    murktest::TTempDir folder;
    const murktest::TBytes picture = murktest::MakeJpeg(320, 240);
    // A start marker and noise: no head a decoder could read.
    murktest::TBytes noise(4000);
    uint32_t state = 12345;
    for (uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = uint8_t(state >> 16);
    }
    noise[0] = 0xFF;
    noise[1] = 0xD8;
    // A frame header with a sample precision of 3 bits.
    murktest::TBytes badFrame = picture;
    for (size_t i = 0; i + 4 < badFrame.size(); ++i) {
        if (badFrame[i] == 0xFF && badFrame[i + 1] == 0xC0) {
            badFrame[i + 4] = 3;
            break;
        }
    }
    ASSERT_EQ(::mkfifo(folder.File("fifo.jpg").c_str(), 0600), 0);
    const QString broken[] = {
        QString::fromStdString(folder.File("missing.jpg")),
        Written(folder, "empty.jpg", {}),
        Written(folder, "noise.jpg", noise),
        Written(folder, "frame.jpg", badFrame),
        Written(folder, "head.jpg", murktest::TBytes(picture.begin(), picture.begin() + 40)),
        QString::fromStdString(folder.File("fifo.jpg")),
        QString::fromStdString(folder.Path()),
    };
    for (const QString& path : broken) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(DecodePreview(path, {161, 153}).Image.isNull()) << path.toStdString();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }

    // A file cut short ("JPG+?") still shows what was there.
    const QString cut = Written(
        folder, "cut.jpg", murktest::TBytes(picture.begin(), picture.begin() + picture.size() / 2));
    EXPECT_EQ(DecodePreview(cut, {161, 153}).FullSize, QSize(320, 240));
}

TEST(DecodePreview, APaneThatGrowsPastTheKeptPictureNeedsANewDecode) {
    murktest::TTempDir folder;
    const QString path = Written(folder, "p.jpg", murktest::MakeJpeg(1600, 1200));
    const TPreview small = DecodePreview(path, {161, 153});
    EXPECT_FALSE(PreviewTooSmall(small, {161, 153}));
    EXPECT_FALSE(PreviewTooSmall(small, {100, 100}));
    ASSERT_TRUE(PreviewTooSmall(small, {800, 600}));
    // Drawn at 533 x 400 (divisor 3), decoded at three eighths.
    const TPreview large = DecodePreview(path, {800, 600});
    EXPECT_EQ(large.Image.size(), QSize(600, 450));
    EXPECT_FALSE(PreviewTooSmall(large, {800, 600}));
    EXPECT_FALSE(PreviewTooSmall(TPreview{}, {800, 600}));
}

TEST(PreviewArea, PaintsTheDividedPictureCentredOnThePaneColour) {
    TPreviewArea area;
    area.resize(161, 153);
    area.SetColor(QColor(182, 197, 214));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(QColor(0, 160, 0));
    area.SetPicture(picture, {1600, 1200});
    ASSERT_EQ(area.DrawnRect(), QRect(0, 16, 160, 120));

    const QImage shown = area.grab().toImage();
    const QColor green(0, 160, 0), pane(182, 197, 214);
    struct Point {
        int X, Y;
        QColor Expected;
    };
    const Point points[] = {{0, 16, green}, {159, 135, green}, {80, 70, green},
                            {0, 15, pane},  {80, 136, pane},   {160, 70, pane}};
    for (const Point& point : points) {
        EXPECT_EQ(shown.pixelColor(point.X, point.Y), point.Expected) << point.X << "," << point.Y;
    }

    area.SetPicture({}, {});
    EXPECT_EQ(area.grab().toImage().pixelColor(80, 70), pane) << "an empty pane is its colour";
}

}  // namespace
