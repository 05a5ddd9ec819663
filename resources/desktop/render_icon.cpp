// Renders the program's scalable icon to the PNG sizes desktops look for:
// render_icon <in.svg> <out.png> <size>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    bool ok = false;
    const int size = args.value(3).toInt(&ok);
    QSvgRenderer svg(args.value(1));
    if (args.size() != 4 || !ok || size <= 0 || size > 1024 || !svg.isValid()) {
        std::fprintf(stderr, "usage: render_icon <in.svg> <out.png> <size>\n");
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p);
    p.end();
    return image.save(args.value(2)) ? 0 : 1;
}
