// zelt6380-icon DIR SIZE...: draws the console's icon, a rectifier shelf
// with four units and their lamps, into a hicolor icon tree: the vector
// drawing as DIR/scalable/apps/zelt6380.svg and one raster picture per size
// as DIR/<SIZE>x<SIZE>/apps/zelt6380.png. Both come from one list of shapes,
// so the pictures cannot drift from the drawing.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <vector>

namespace {

constexpr double Canvas = 256; // the drawing's own square, scaled to each size

struct Shape {
    bool circle;       // a circle centred on (x, y) with radius r; else a rectangle
    double x, y, w, h; // rectangle: corner and size
    double r;          // circle radius, or the rectangle's corner radius
    const char* fill;  // #rrggbb
};

Shape Box(double x, double y, double w, double h, double r, const char* fill)
{
    return {false, x, y, w, h, r, fill};
}

Shape Dot(double x, double y, double r, const char* fill)
{
    return {true, x, y, 0, 0, r, fill};
}

std::vector<Shape> IconShapes()
{
    std::vector<Shape> shapes{
        Box(8, 8, 240, 240, 40, "#2f5d3a"),   // dark green rim
        Box(18, 18, 220, 220, 32, "#c0dcc0"), // money green face, like the window
        Box(36, 40, 184, 176, 12, "#3a3f44"), // the shelf
    };
    for (int unit = 0; unit < 4; ++unit) {
        const double left = 48 + unit * 42;
        shapes.push_back(Box(left, 52, 34, 152, 5, "#d9dde0")); // rectifier unit
        shapes.push_back(Dot(left + 17, 74, 9, "#00d000"));     // its lamp, lime: normal
        for (int vent = 0; vent < 3; ++vent)
            shapes.push_back(Box(left + 7, 104 + vent * 30, 20, 12, 3, "#8a9096"));
    }
    return shapes;
}

QString SvgText(const std::vector<Shape>& shapes)
{
    QString text = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n");
    for (const Shape& s : shapes) {
        if (s.circle)
            text += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                        .arg(s.x)
                        .arg(s.y)
                        .arg(s.r)
                        .arg(QLatin1String(s.fill));
        else
            text += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                        .arg(s.x)
                        .arg(s.y)
                        .arg(s.w)
                        .arg(s.h)
                        .arg(s.r)
                        .arg(QLatin1String(s.fill));
    }
    return text + QStringLiteral("</svg>\n");
}

QImage Picture(const std::vector<Shape>& shapes, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.scale(size / Canvas, size / Canvas);
    for (const Shape& s : shapes) {
        painter.setBrush(QColor(QLatin1String(s.fill)));
        if (s.circle)
            painter.drawEllipse(QPointF(s.x, s.y), s.r, s.r);
        else
            painter.drawRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.r, s.r);
    }
    return image;
}

bool WriteSvg(const QDir& dir, const std::vector<Shape>& shapes)
{
    QFile file(dir.filePath(QStringLiteral("scalable/apps/zelt6380.svg")));
    return dir.mkpath(QStringLiteral("scalable/apps")) && file.open(QIODevice::WriteOnly)
        && file.write(SvgText(shapes).toUtf8()) >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelt6380-icon DIR SIZE...\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const std::vector<Shape> shapes = IconShapes();
    if (!WriteSvg(dir, shapes)) {
        std::fprintf(stderr, "zelt6380-icon: cannot write the drawing into %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "zelt6380-icon: size '%s' is not 8 to 1024\n", argv[i]);
            return 2;
        }
        if (!dir.mkpath(folder) || !Picture(shapes, size).save(dir.filePath(folder + QStringLiteral("/zelt6380.png")))) {
            std::fprintf(stderr, "zelt6380-icon: cannot write the %d pixel picture into %s\n", size, argv[1]);
            return 1;
        }
    }
    return 0;
}
