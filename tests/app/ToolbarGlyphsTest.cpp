#include "app/ToolbarGlyphs.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace zelt;

namespace {

// Where a glyph is more than half inked: one hexadecimal word per line of
// pixels, top first, the leftmost pixel in the highest bit.
std::string Shape(const QImage& image)
{
    std::string shape;
    for (int y = 0; y < 16; ++y) {
        unsigned word = 0;
        for (int x = 0; x < 16; ++x)
            if (qAlpha(image.pixel(x, y)) > 127)
                word |= 0x8000u >> x;
        char hex[6];
        std::snprintf(hex, sizeof hex, "%04x ", word);
        shape += hex;
    }
    shape.pop_back();
    return shape;
}

// The same as a picture, for the failure message.
std::string Picture(const QImage& image)
{
    std::string picture = "\n";
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            picture += qAlpha(image.pixel(x, y)) > 127 ? '#' : '.';
        picture += '\n';
    }
    return picture;
}

// Whether the most opaque pixel has the colour, within what blending
// partly covered strokes rounds away.
bool InkedWith(const QImage& image, QRgb colour)
{
    QRgb ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (qAlpha(image.pixel(x, y)) > qAlpha(ink))
                ink = image.pixel(x, y);
    const int slack = 2;
    return std::abs(qRed(ink) - qRed(colour)) <= slack && std::abs(qGreen(ink) - qGreen(colour)) <= slack &&
           std::abs(qBlue(ink) - qBlue(colour)) <= slack;
}

TEST(ToolbarGlyphs, ShapeAndInkOfEachGlyph)
{
    const QRgb red = qRgb(192, 0, 0), green = qRgb(0, 128, 0), brown = qRgb(160, 96, 0), blue = qRgb(0, 0, 160);
    const struct {
        Glyph glyph;
        QRgb ink;
        const char* shape;
    } cases[] = {
        {Glyph::Exit, red, "7f80 ffc0 c0c0 c0c0 c0d8 c0dc c0ce c7ff c7ff c0ce c0dc c0d8 c0c0 c0c0 ffc0 7f80"},
        {Glyph::Port, blue, "0660 0660 0660 0660 1ff8 3ffc 300c 300c 300c 300c 300c 3ffc 1ff8 0180 0180 0180"},
        {Glyph::Connect, green, "0000 0000 0000 0000 381c 7c3e c663 c7e3 c7e3 7c3e 381c 0000 0000 0000 0000 0000"},
        {Glyph::Disconnect, red, "0000 0000 0000 0000 381c 7e3e c663 c763 c7e3 7cfe 38dc 0000 0000 0000 0000 0000"},
        {Glyph::Clock, blue, "03c0 0ff0 1818 318c 6186 4182 c183 c183 c1c3 c073 4032 6006 300c 1818 0ff0 03c0"},
        {Glyph::Alarm, red, "0000 0000 07e0 0c30 0810 1818 1818 1818 1818 1818 300c 3ffc 3ffc 03c0 03c0 0180"},
        {Glyph::Setting, blue, "0180 6186 718e 399c 1ff8 0c30 0810 f81f f81f 0810 0c30 1ff8 399c 718e 6186 0180"},
        {Glyph::History, blue, "0000 0000 6ffe 6ffe 0000 0000 0000 6ffe 6ffe 0000 0000 0000 6ffe 6ffe 0000 0000"},
        {Glyph::HistoryClear, red, "0000 0000 6ffe 6ffe 0000 0183 0183 6ffe 6ffe 0038 0038 0038 6ffe 6ffe 0183 0183"},
        {Glyph::Network, blue, "03c0 07e0 0660 0660 07e0 03c0 0180 3ffc 3ffc 300c 781e fc3f cc33 cc33 fc3f 781e"},
        {Glyph::Measure, brown, "0000 0000 03c0 0ff0 1818 301c 6036 4062 c0c3 ffff ffff 0000 0000 0000 0000 0000"},
        {Glyph::Charge, green, "0000 0000 0000 7ff8 fffc c30e c30f dfef dfef c30f c30e fffc 7ff8 0000 0000 0000"},
        {Glyph::Discharge, brown, "0000 0000 0000 7ff8 fffc c00e c00f dfef dfef c00f c00e fffc 7ff8 0000 0000 0000"},
        {Glyph::Trend, blue, "c000 c000 c006 c006 c00c c018 c730 cfe0 d9c0 f000 f000 c000 c000 ffff ffff 0000"},
    };
    for (const auto& c : cases) {
        const QIcon icon = ToolbarGlyph(c.glyph);
        const QImage normal = icon.pixmap(16, 16, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage grey = icon.pixmap(16, 16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        const int index = static_cast<int>(c.glyph);
        EXPECT_EQ(Shape(normal), c.shape) << index << Picture(normal);
        EXPECT_EQ(Shape(grey), c.shape) << index;
        EXPECT_TRUE(InkedWith(normal, c.ink)) << index;
        EXPECT_TRUE(InkedWith(grey, qRgb(128, 128, 128))) << index;
    }
}

} // namespace
