// Palette export naming: whatever the palette and its colors are called, the file name is one
// usable name ending in the format's ending, and every color gets a distinct, valid identifier.
// The input's lines are the palette's name and then up to eight colors' names.

#include "FuzzCheck.h"

#include "Chromet/Library/PaletteExport.h"

#include <QSet>

namespace {

bool isIdentifierChar(QChar c, bool first, bool allowHyphen) {
    const char16_t u = c.unicode();
    const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    const bool digit = u >= u'0' && u <= u'9';
    return letter || (!first && (digit || (allowHyphen && u == u'-')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))
            .split(QLatin1Char('\n'));
    Palette palette{QUuid(), lines.first(), {}};
    // A few colors reach every naming rule; hundreds only make each input slow.
    for (qsizetype i = 1; i < qMin<qsizetype>(lines.size(), 9); ++i)
        palette.colors.append(NamedColor{QUuid(), lines[i], PickedColor{}});

    for (ExportFormat format : PaletteExport::allCases()) {
        const QString name = PaletteExport::exportFileName(palette, format);
        const QString ending = PaletteExport::fileEnding(format);
        FUZZ_CHECK(name.endsWith(ending) && name.size() > ending.size());
        FUZZ_CHECK(name.toUtf8().size() <= 255);
        for (QChar c : name.chopped(ending.size()))
            FUZZ_CHECK(isIdentifierChar(c, false, true));
        FUZZ_CHECK(PaletteExport::exportText(palette, format).endsWith(QLatin1String("}\n")));
    }
    for (const NamedColor &color : palette.colors) {
        QString swift = PaletteExport::swiftIdentifier(color.name);
        if (swift.startsWith(QLatin1Char('`'))) {
            FUZZ_CHECK(swift.endsWith(QLatin1Char('`')) && swift.size() > 2);
            swift = swift.mid(1, swift.size() - 2);
            FUZZ_CHECK(PaletteExport::isReservedWord(swift));
        }
        FUZZ_CHECK(!swift.isEmpty() && isIdentifierChar(swift.front(), true, false));
        for (QChar c : swift)
            FUZZ_CHECK(isIdentifierChar(c, false, false));
        const QString css = PaletteExport::cssName(color.name);
        FUZZ_CHECK(!css.isEmpty() && !css.startsWith(QLatin1Char('-')) &&
                   !css.endsWith(QLatin1Char('-')));
        for (QChar c : css)
            FUZZ_CHECK(isIdentifierChar(c, false, true) && !c.isUpper());
    }
    return 0;
}
