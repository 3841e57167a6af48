#include "Rendering.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

namespace quaylight::test {

QImage render(QWidget& widget, qreal devicePixelRatio, const QColor& background) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    if (!widget.testAttribute(Qt::WA_Resized)) widget.adjustSize();
    widget.show();
    QApplication::processEvents();
    QImage image(widget.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QString saveToGallery(const QImage& image, const QString& name) {
    QDir().mkpath(QStringLiteral(QUAYLIGHT_GALLERY_DIR));
    const QString path = QStringLiteral(QUAYLIGHT_GALLERY_DIR "/") + name + QStringLiteral(".png");
    image.save(path);
    return path;
}

int countOpaquePixels(const QImage& image, int minimumAlpha) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > minimumAlpha) ++count;
        }
    }
    return count;
}

QColor averageInk(const QImage& image, int minimumAlpha) {
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    double red = 0, green = 0, blue = 0;
    int count = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb pixel = plain.pixel(x, y);
            if (qAlpha(pixel) < minimumAlpha) continue;
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
            ++count;
        }
    }
    if (count == 0) return {};
    return QColor(int(red / count + 0.5), int(green / count + 0.5), int(blue / count + 0.5));
}

}  // namespace quaylight::test
