// Build-time renderer of the image sources: render_svg IN.svg OUT.(png|ico) [SIZE]
// renders at the drawing's own size (or SIZE x SIZE) and writes a PNG, or an
// ICO that carries the PNG (readable by Windows Vista and later and by Qt).
#include <QFile>
#include <QGuiApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

namespace {

QByteArray icoFromPng(const QByteArray &png, int width, int height)
{
    QByteArray ico;
    auto put16 = [&ico](quint16 v) { ico.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&put16](quint32 v) { put16(quint16(v & 0xFFFF)); put16(quint16(v >> 16)); };
    put16(0);           // reserved
    put16(1);           // type: icon
    put16(1);           // one image
    ico.append(char(width >= 256 ? 0 : width)).append(char(height >= 256 ? 0 : height));
    ico.append(char(0)).append(char(0));    // no palette, reserved
    put16(1);           // planes
    put16(32);          // bits per pixel
    put32(quint32(png.size()));
    put32(6 + 16);      // offset of the image data
    ico.append(png);
    return ico;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_svg IN.svg OUT.png|OUT.ico [SIZE]\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_svg: cannot read %s\n", argv[1]);
        return 1;
    }
    QSize size = renderer.defaultSize();
    if (argc > 3)
        size = QSize(atoi(argv[3]), atoi(argv[3]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    if (out.endsWith(QLatin1String(".ico")) && argc <= 3)
        size = QSize(256, 256);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray bytes = out.endsWith(QLatin1String(".ico")) ? icoFromPng(png, size.width(), size.height()) : png;
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "render_svg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
