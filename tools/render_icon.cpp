// Renders an SVG icon into square PNG files for the icon theme's fixed sizes.
// Usage: tessalyn_render_icon SVG OUTPUT-DIR NAME SIZE...
// writes OUTPUT-DIR/SIZExSIZE/NAME.png for every SIZE.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: tessalyn_render_icon SVG OUTPUT-DIR NAME SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tessalyn_render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0) {
            std::fprintf(stderr, "tessalyn_render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        const QString dir = QStringLiteral("%1x%1").arg(size);
        if (!out.mkpath(dir) || !image.save(out.filePath(dir + "/" + name + ".png"), "PNG")) {
            std::fprintf(stderr, "tessalyn_render_icon: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
