#include "Chromet/Contrast/ContrastStyle.h"

#include "Chromet/Color/ColorConversion.h"

#include <QApplication>
#include <QFontDatabase>

namespace ContrastStyle {

QColor displayColor(const RGB &p3) {
    static const QColorSpace displayP3(QColorSpace::DisplayP3);
    const RGB srgb = rgbComponents(p3, displayP3, QColorSpace::SRgb);
    return QColor::fromRgbF(float(srgb.r), float(srgb.g), float(srgb.b));
}

QColor secondary(const QPalette &palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.55f);
    return color;
}

QColor outline(const QPalette &palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15f);
    return color;
}

static bool isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor passGreen(const QPalette &palette) {
    return isDark(palette) ? QColor(48, 209, 88) : QColor(40, 167, 69);
}

QColor failRed(const QPalette &palette) {
    return isDark(palette) ? QColor(255, 69, 58) : QColor(215, 45, 35);
}

QFont font(int pixelSize, QFont::Weight weight) {
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

QFont monospacedFont(int pixelSize) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(pixelSize);
    return f;
}

} // namespace ContrastStyle
