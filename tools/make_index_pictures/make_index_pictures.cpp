// Draws the two built-in index pictures and writes them as 24-bit BMP files:
//   make_index_pictures <resources folder>
// Built by hand only when the pictures are to change; the program embeds the
// files, not this tool:
//   g++ -std=c++20 -fPIC -I. $(pkg-config --cflags Qt6Gui) tools/make_index_pictures/*.cpp \
//       imaging/bmp.cpp imaging/picture.cpp imaging/picture_file.cpp $(pkg-config --libs Qt6Gui)

#include "imaging/bmp.h"
#include "imaging/picture_file.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

zv::Picture toPicture(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    zv::Picture picture = zv::solidPicture(rgb.width(), rgb.height(), 255, 255, 255);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), rgb.width() * 3, picture.pixel(0, y));
    return picture;
}

QImage draw(int width, int height, const QString& text, QColor colour, int pixelSize, bool bold)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("WenQuanYi Zen Hei Sharp"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRect(0, 0, width, height), Qt::AlignCenter, text);
    return image;
}

bool save(const QString& path, const QImage& image)
{
    const zv::ByteBlock bytes = zv::encodeBmp24(toPicture(image));
    std::printf("%s: %zu bytes\n", path.toUtf8().constData(), bytes.size());
    return zv::writeFileBytes(path.toStdString(), bytes);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_index_pictures <resources folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QImage zero = draw(22, 22, QStringLiteral("0"), QColor(75, 140, 85), 18, true);
    const QImage limit = draw(80, 16, QStringLiteral("查询过于频繁"), QColor(0, 128, 0), 12, false);
    const bool ok = save(folder + QStringLiteral("/index_zero.bmp"), zero)
        && save(folder + QStringLiteral("/index_rate_limit.bmp"), limit);
    return ok ? 0 : 1;
}
