// Reads the generated pictures back and checks every property the program promises of them.

#include "resources/resource_paths.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QtTest>
#include <cstdint>
#include <gif_lib.h>
#include <memory>
#include <string>
#include <vector>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

unsigned little16(const QByteArray& bytes, int at) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at])) |
           static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at + 1])) << 8;
}

unsigned little32(const QByteArray& bytes, int at) {
    return little16(bytes, at) | little16(bytes, at + 2) << 16;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

GifFile slurp(const char* path) {
    int error = 0;
    GifFile gif(DGifOpenFileName(path, &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK) {
        gif.reset();
    }
    return gif;
}

std::vector<GifByteType> raster(const SavedImage& image) {
    const auto count = static_cast<std::size_t>(image.ImageDesc.Width) *
                       static_cast<std::size_t>(image.ImageDesc.Height);
    return {image.RasterBits, image.RasterBits + count};
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void compiledInPicturesAreTheGeneratedFiles();
    void iconHasTwoSixteenColourImages();
    void iconLoadsAtBothSizes();
    void aboutPictureHeaderAndScreen();
    void aboutPictureFrames();
    void aboutPictureLoopsAThousandTimes();
    void aboutPictureShowsItsFirstFrame();
};

const QString picturesDir = QStringLiteral(VELTRANE_PICTURES_DIR);

void TestResources::compiledInPicturesAreTheGeneratedFiles() {
    const QByteArray icon = readAll(picturesDir + "/veltrane.ico");
    const QByteArray picture = readAll(picturesDir + "/about.gif");
    QVERIFY(!icon.isEmpty());
    QVERIFY(!picture.isEmpty());
    QCOMPARE(readAll(veltrane::resources::iconPath), icon);
    QCOMPARE(readAll(veltrane::resources::aboutPicturePath), picture);
}

void TestResources::iconHasTwoSixteenColourImages() {
    const QByteArray icon = readAll(picturesDir + "/veltrane.ico");
    QVERIFY(icon.size() >= 6 + 2 * 16);
    QCOMPARE(little16(icon, 0), 0u);
    QCOMPARE(little16(icon, 2), 1u); // icon, not cursor
    QCOMPARE(little16(icon, 4), 2u);
    const unsigned sizes[2] = {32, 16};
    const unsigned bytes[2] = {744, 296};
    for (int i = 0; i < 2; ++i) {
        const int entry = 6 + 16 * i;
        QCOMPARE(static_cast<unsigned>(static_cast<std::uint8_t>(icon[entry])), sizes[i]);
        QCOMPARE(static_cast<unsigned>(static_cast<std::uint8_t>(icon[entry + 1])), sizes[i]);
        QCOMPARE(static_cast<unsigned>(static_cast<std::uint8_t>(icon[entry + 2])), 16u);
        QCOMPARE(little16(icon, entry + 6), 4u);
        QCOMPARE(little32(icon, entry + 8), bytes[i]);
        const auto offset = static_cast<int>(little32(icon, entry + 12));
        QVERIFY(offset + static_cast<int>(bytes[i]) <= icon.size());
        // The image's own header agrees: 4 bits a pixel, colour and mask rows stacked.
        QCOMPARE(little32(icon, offset), 40u);
        QCOMPARE(little32(icon, offset + 4), sizes[i]);
        QCOMPARE(little32(icon, offset + 8), 2 * sizes[i]);
        QCOMPARE(little16(icon, offset + 14), 4u);
    }
    QCOMPARE(icon.size(), 6 + 2 * 16 + 744 + 296);
}

void TestResources::iconLoadsAtBothSizes() {
    QImageReader reader(veltrane::resources::iconPath);
    QCOMPARE(reader.imageCount(), 2);
    QList<QSize> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        sizes << image.size();
    }
    QCOMPARE(sizes, (QList<QSize>{QSize(32, 32), QSize(16, 16)}));
    QVERIFY(!QIcon(veltrane::resources::iconPath).isNull());
}

void TestResources::aboutPictureHeaderAndScreen() {
    const QByteArray bytes = readAll(picturesDir + "/about.gif");
    QVERIFY(bytes.startsWith("GIF89a"));
    const GifFile gif = slurp(qPrintable(picturesDir + "/about.gif"));
    QVERIFY(gif);
    QCOMPARE(gif->SWidth, 48);
    QCOMPARE(gif->SHeight, 48);
    QVERIFY(gif->SColorMap != nullptr);
    QCOMPARE(gif->SColorMap->ColorCount, 256);
    const GifColorType first = gif->SColorMap->Colors[0];
    const GifColorType last = gif->SColorMap->Colors[255];
    QCOMPARE((QList<int>{first.Red, first.Green, first.Blue}), (QList<int>{0, 0, 0}));
    QCOMPARE((QList<int>{last.Red, last.Green, last.Blue}), (QList<int>{255, 255, 255}));
}

void TestResources::aboutPictureFrames() {
    const GifFile gif = slurp(qPrintable(picturesDir + "/about.gif"));
    QVERIFY(gif);
    QCOMPARE(gif->ImageCount, 4);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const GifImageDesc& desc = gif->SavedImages[i].ImageDesc;
        QCOMPARE(desc.Left, 0);
        QCOMPARE(desc.Top, 0);
        QCOMPARE(desc.Width, 48);
        QCOMPARE(desc.Height, 48);
        QVERIFY(desc.ColorMap == nullptr);
        QVERIFY(!desc.Interlace);
        GraphicsControlBlock control{};
        QCOMPARE(DGifSavedExtensionToGCB(gif.get(), i, &control), GIF_OK);
        QCOMPARE(control.DisposalMode, DISPOSE_BACKGROUND);
        QCOMPARE(control.TransparentColor, 255);
        QCOMPARE(control.DelayTime, 0);
    }
    const auto one = raster(gif->SavedImages[0]);
    const auto two = raster(gif->SavedImages[1]);
    const auto three = raster(gif->SavedImages[2]);
    const auto four = raster(gif->SavedImages[3]);
    QVERIFY(one == three);
    QVERIFY(one != two);
    QVERIFY(one != four);
    QVERIFY(two != four);
}

void TestResources::aboutPictureLoopsAThousandTimes() {
    const GifFile gif = slurp(qPrintable(picturesDir + "/about.gif"));
    QVERIFY(gif);
    // Blocks before the first image travel with it: the application block, then its data.
    const SavedImage& first = gif->SavedImages[0];
    int found = 0;
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = first.ExtensionBlocks[i];
        if (block.Function != APPLICATION_EXT_FUNC_CODE) {
            continue;
        }
        QCOMPARE(QByteArray::fromStdString(std::string(block.Bytes, block.Bytes + block.ByteCount)),
                 QByteArray("NETSCAPE2.0"));
        const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
        QCOMPARE(data.Function, CONTINUE_EXT_FUNC_CODE);
        QCOMPARE(data.ByteCount, 3);
        QCOMPARE(static_cast<int>(data.Bytes[0]), 1);
        QCOMPARE(data.Bytes[1] | data.Bytes[2] << 8, 1000);
        ++found;
    }
    QCOMPARE(found, 1);
}

void TestResources::aboutPictureShowsItsFirstFrame() {
    QImageReader reader(veltrane::resources::aboutPicturePath);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 4);
    QCOMPARE(reader.loopCount(), 1000);
    const QImage still(veltrane::resources::aboutPicturePath);
    QCOMPARE(still.size(), QSize(48, 48));
    const QImage first = reader.read();
    QCOMPARE(still, first);
}

QTEST_MAIN(TestResources)
#include "test_resources.moc"
