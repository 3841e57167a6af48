// Build tool: writes the application icon for the hicolor icon theme, quaylight.svg and
// one quaylight-<size>.png per installed size, into the folder given.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>
#include <cstdio>

#include "Quaylight/design/brand/ApplicationIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: quaylight-render-icon OUTPUT-FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const int size : quaylight::ApplicationIcon::pngSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            quaylight::ApplicationIcon::draw(painter, size, quaylight::BrandColor::accent());
        }
        const QString path = QStringLiteral("%1/quaylight-%2.png").arg(folder).arg(size);
        if (!image.save(path)) {
            std::fprintf(stderr, "error: could not write %s.\n", qPrintable(path));
            return 1;
        }
    }
    QSvgGenerator svg;
    svg.setFileName(folder + QStringLiteral("/quaylight.svg"));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Quaylight"));
    {
        QPainter painter(&svg);
        quaylight::ApplicationIcon::draw(painter, 256, quaylight::BrandColor::accent());
    }
    return 0;
}
