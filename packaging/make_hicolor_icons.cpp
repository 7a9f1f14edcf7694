// Writes the application icon for the desktop's hicolor theme from the program's own icon file:
// the 16 and 32 pixel images as they are, larger sizes as whole-pixel enlargements of them (the
// artwork is drawn on a 16 x 16 grid, so nothing is invented), and a scalable SVG of the same
// pixels.
// Usage: make_hicolor_icons ICON.ico OUTPUT_FOLDER

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTextStream>
#include <cstdio>
#include <map>

namespace {

std::map<int, QImage> readIconImages(const QString& path) {
    QImageReader reader(path, "ico");
    std::map<int, QImage> images;
    for (int index = 0; index < reader.imageCount(); ++index) {
        if (!reader.jumpToImage(index)) {
            break;
        }
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        if (!image.isNull() && image.width() == image.height()) {
            images[image.width()] = image;
        }
    }
    return images;
}

bool writeSvg(const QImage& image, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QTextStream out(&file);
    out << R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" << image.width() << "\" height=\""
        << image.height() << "\" viewBox=\"0 0 " << image.width() << ' ' << image.height()
        << "\" shape-rendering=\"crispEdges\">\n";
    // One rectangle for each run of same-coloured pixels in a row.
    for (int y = 0; y < image.height(); ++y) {
        int x = 0;
        while (x < image.width()) {
            const QRgb colour = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == colour) {
                ++end;
            }
            if (qAlpha(colour) != 0) {
                out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x
                    << R"(" height="1" fill=")" << QColor(colour).name() << "\"/>\n";
            }
            x = end;
        }
    }
    out << "</svg>\n";
    return out.status() == QTextStream::Ok && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fputs("usage: make_hicolor_icons ICON.ico OUTPUT_FOLDER\n", stderr);
        return 64;
    }
    const QString iconPath = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const std::map<int, QImage> images = readIconImages(iconPath);
    if (images.count(16) == 0 || images.count(32) == 0) {
        std::fprintf(stderr, "make_hicolor_icons: %s has no 16 and 32 pixel images\n", argv[1]);
        return 1;
    }
    // Each size from the largest image that divides it evenly.
    const std::map<int, int> sources{{16, 16}, {32, 32}, {48, 16}, {64, 32}, {128, 32}, {256, 32}};
    for (const auto& [size, source] : sources) {
        const QImage image =
            images.at(source).scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QString path = output.filePath(QString("%1x%1.png").arg(size));
        if (!image.save(path, "png")) {
            std::fprintf(stderr, "make_hicolor_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString svgPath = output.filePath("scalable.svg");
    if (!writeSvg(images.at(32), svgPath)) {
        std::fprintf(stderr, "make_hicolor_icons: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}
