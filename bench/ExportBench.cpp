#include "BenchTimer.h"

#include "Chromet/Library/PaletteExport.h"

#include <string>

// Figures for palette export: one exportText call on a 50-color palette per format. Names mix
// plain words, repeats (uniqueness suffixes), a reserved word and accented letters (grapheme
// segmentation), as a user's palette would.
int main() {
    Palette palette{QUuid::createUuid(), QStringLiteral("Brand Kit 2024"), {}};
    for (int i = 0; i < 50; ++i) {
        QString name;
        if (i % 10 == 9)
            name = QStringLiteral("Café crème %1").arg(i);
        else if (i % 7 == 0)
            name = QStringLiteral("Sky Blue");
        else if (i == 25)
            name = QStringLiteral("default");
        else
            name = QStringLiteral("Brand %1 tone").arg(i);
        const RGB rgb{(i * 5 % 256) / 255.0, (i * 37 % 256) / 255.0, (i * 91 % 256) / 255.0};
        palette.colors.append(NamedColor{QUuid::createUuid(), name, PickedColor{rgb, rgb}});
    }

    volatile qsizetype sink = 0;
    for (ExportFormat format : PaletteExport::allCases()) {
        const double ns = medianNsPerCall(
            [&] { sink = sink + PaletteExport::exportText(palette, format).size(); }, 500);
        const std::string label =
            "exportText 50 colors, " + PaletteExport::menuLabel(format).toStdString();
        printFigure(label.c_str(), ns, "ns/call");
    }
    return 0;
}
