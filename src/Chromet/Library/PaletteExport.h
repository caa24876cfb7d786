#pragma once

#include "Chromet/Library/Palette.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// The source files a palette can be exported as, in menu order.
enum class ExportFormat {
    swift,
    css,
    tailwind,
};

namespace PaletteExport {

const std::array<ExportFormat, 3> &allCases();

// "swift", "css", "tailwind": the case names, for the command line.
QString rawValue(ExportFormat format);
std::optional<ExportFormat> fromRawValue(QStringView rawValue);

// "Swift", "CSS Variables", "Tailwind".
QString menuLabel(ExportFormat format);
// ".swift", ".css", ".tailwind.css".
QString fileEnding(ExportFormat format);

// The whole file text; every line ends in "\n". Hex is always upper case.
QString exportText(const Palette &palette, ExportFormat format);
// The palette name's words joined with "-" ("Palette" when it has none), lower case except for
// Swift, plus the format's ending.
QString exportFileName(const Palette &palette, ExportFormat format);

// Maximal runs of ASCII letters and digits. Everything else separates, judged per user-perceived
// character: a letter carrying a combining mark is not ASCII.
QStringList words(QStringView name);

// The identifier a color name becomes before uniqueness suffixes.
QString swiftIdentifier(QStringView name);
QString cssName(QStringView name);

// Words that cannot stand bare as Swift identifiers.
bool isReservedWord(const QString &word);

} // namespace PaletteExport
