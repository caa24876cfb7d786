#include "BenchTimer.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/TailwindPalette.h"

#include <QColorSpace>

#include <cstdio>

// Figures for the color core: the Tailwind lookup runs for every label and menu entry, the ten
// formats together are what one menu row costs, and the conversion runs on every pointer move.
int main() {
    // Vary the input so nothing is hoisted out of the loop; the sink keeps results alive.
    volatile double sink = 0;
    int step = 0;
    auto nextChannel = [&step] {
        step = (step + 37) % 256;
        return step / 255.0;
    };

    nearestTailwind(RGB{}); // build the table outside the timing
    const double tailwindNs = medianNsPerCall(
        [&] {
            const TailwindMatch match =
                nearestTailwind(RGB{nextChannel(), nextChannel(), nextChannel()});
            sink = sink + match.distance;
        },
        20000);
    printFigure("nearestTailwind", tailwindNs, "ns/call (target < 2000)");

    const double formatsNs = medianNsPerCall(
        [&] {
            const RGB rgb{nextChannel(), nextChannel(), nextChannel()};
            const PickedColor color{rgb, rgb};
            qsizetype length = 0;
            for (ColorFormat format : ColorFormats::allCases())
                length += ColorFormats::labelText(format, color, false).size();
            sink = sink + double(length);
        },
        5000);
    printFigure("all ten format labels of one color", formatsNs, "ns/call (target < 10000)");

    const QColorSpace srgb(QColorSpace::SRgb);
    const QColorSpace p3(QColorSpace::DisplayP3);
    const double conversionNs = medianNsPerCall(
        [&] {
            const PickedColor color =
                pickedColor(RGB{nextChannel(), nextChannel(), nextChannel()}, p3);
            sink = sink + color.srgb.r;
        },
        20000);
    printFigure("pickedColor from Display P3", conversionNs, "ns/call");
    const double srgbConversionNs = medianNsPerCall(
        [&] {
            const PickedColor color =
                pickedColor(RGB{nextChannel(), nextChannel(), nextChannel()}, srgb);
            sink = sink + color.p3.r;
        },
        20000);
    printFigure("pickedColor from sRGB", srgbConversionNs, "ns/call");
    return sink < 0 ? 1 : 0;
}
