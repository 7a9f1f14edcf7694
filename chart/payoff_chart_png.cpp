#include "chart/payoff_chart_png.h"

#include "chart/chart_colours.h"
#include "chart/payoff_chart_renderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <array>
#include <memory>

namespace veltrane {

namespace {

// The picture is drawn with Qt Gui alone; fonts need a QGuiApplication, and the offscreen
// platform gives one without a display. Qt takes the options it reads out of the arguments, so
// each run gets its own.
class OffscreenGui {
public:
    OffscreenGui()
        : application_{std::make_unique<QGuiApplication>(argc_, argv_.data())} {}

private:
    char name_[7] = "pravik";
    char option_[10] = "-platform";
    char platform_[10] = "offscreen";
    std::array<char*, 4> argv_{name_, option_, platform_, nullptr};
    int argc_ = 3;
    std::unique_ptr<QGuiApplication> application_;
};

bool failed(QString* why, const QString& reason) {
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

} // namespace

bool writePayoffChartPng(const PayoffChartModel& model, const RegionalSettings& settings,
                         QSize size, const QString& path, QString* why) {
    if (size.isEmpty()) {
        return failed(why, QStringLiteral("the picture has no size"));
    }
    const std::unique_ptr<OffscreenGui> gui =
        QCoreApplication::instance() == nullptr ? std::make_unique<OffscreenGui>() : nullptr;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return failed(why, QStringLiteral("drawing needs Qt Gui, and only Qt Core runs"));
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const ChartColours colours = ChartColours::light();
    image.fill(colours.background);
    {
        QPainter painter(&image);
        PayoffChartRenderer(model, settings)
            .paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), colours);
    }
    // Encoded in memory and written here, so a file that cannot take it says why in our words,
    // not in a line libpng writes to standard error.
    QByteArray png;
    {
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
            return failed(why, QStringLiteral("the picture could not be encoded"));
        }
    }
    // A device or a FIFO the user names is written into: no file to keep, none to put there.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly) || device.write(png) != png.size() ||
            !device.flush()) {
            return failed(why, device.errorString());
        }
        return true;
    }
    // Through a temporary file, so a write that fails halfway leaves the old picture, not half
    // of a new one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
        return failed(why, file.errorString());
    }
    return true;
}

} // namespace veltrane
