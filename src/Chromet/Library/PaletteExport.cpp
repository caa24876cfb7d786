#include "Chromet/Library/PaletteExport.h"

#include "Chromet/Color/ColorMath.h"

#include <QSet>
#include <QTextBoundaryFinder>

namespace {

bool isAsciiWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

bool isAscii(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

const QSet<QString> &reservedWords() {
    // A function-local static: built once, on first use, with the compiler's thread-safe
    // initialisation.
    static const QSet<QString> words = [] {
        const char *const list[] = {
            "associatedtype",
            "class",
            "deinit",
            "enum",
            "extension",
            "fileprivate",
            "func",
            "import",
            "init",
            "inout",
            "internal",
            "let",
            "open",
            "operator",
            "private",
            "precedencegroup",
            "protocol",
            "public",
            "rethrows",
            "static",
            "struct",
            "subscript",
            "typealias",
            "var",
            "break",
            "case",
            "catch",
            "continue",
            "default",
            "defer",
            "do",
            "else",
            "fallthrough",
            "for",
            "guard",
            "if",
            "in",
            "repeat",
            "return",
            "throw",
            "switch",
            "where",
            "while",
            "any",
            "as",
            "await",
            "false",
            "is",
            "nil",
            "self",
            "Self",
            "super",
            "throws",
            "true",
            "try",
        };
        QSet<QString> set;
        for (const char *word : list)
            set.insert(QString::fromLatin1(word));
        return set;
    }();
    return words;
}

// Makes `base` unique among the names this export has used so far. A backquoted Swift name keeps
// its quotes around the number: `default` becomes `default2`.
QString uniqueName(const QString &base, const QString &separator, QSet<QString> &used) {
    QString name = base;
    if (used.contains(name)) {
        const bool quoted = base.endsWith(QLatin1Char('`'));
        const QString stem = quoted ? base.chopped(1) : base;
        const QString close = quoted ? QStringLiteral("`") : QString();
        for (int counter = 2;; ++counter) {
            name = stem + separator + QString::number(counter) + close;
            if (!used.contains(name))
                break;
        }
    }
    used.insert(name);
    return name;
}

QString paletteStem(const Palette &palette, const QString &fallback) {
    const QString joined = PaletteExport::words(palette.name).join(QLatin1Char('-'));
    return joined.isEmpty() ? fallback : joined;
}

QString swiftText(const Palette &palette) {
    QString text = QStringLiteral("import SwiftUI\n\nextension Color {\n");
    QSet<QString> used;
    for (const NamedColor &color : palette.colors) {
        const RGB &rgb = color.color.srgb;
        text += QStringLiteral("    static let ") +
                uniqueName(PaletteExport::swiftIdentifier(color.name), QString(), used) +
                QStringLiteral(" = Color(red: ") + formatNumber(rgb.r, 3, false) +
                QStringLiteral(", green: ") + formatNumber(rgb.g, 3, false) +
                QStringLiteral(", blue: ") + formatNumber(rgb.b, 3, false) + QStringLiteral(")\n");
    }
    text += QStringLiteral("}\n");
    return text;
}

// CSS and Tailwind differ only in the block and the property prefix.
QString propertyBlockText(const Palette &palette, const QString &opening, const QString &prefix) {
    QString text = opening;
    QSet<QString> used;
    for (const NamedColor &color : palette.colors) {
        text += prefix + uniqueName(PaletteExport::cssName(color.name), QStringLiteral("-"), used) +
                QStringLiteral(": ") + hexString(color.color.srgb, false) + QStringLiteral(";\n");
    }
    text += QStringLiteral("}\n");
    return text;
}

} // namespace

namespace PaletteExport {

const std::array<ExportFormat, 3> &allCases() {
    static constexpr std::array<ExportFormat, 3> cases{ExportFormat::swift, ExportFormat::css,
                                                       ExportFormat::tailwind};
    return cases;
}

QString rawValue(ExportFormat format) {
    switch (format) {
    case ExportFormat::swift:
        return QStringLiteral("swift");
    case ExportFormat::css:
        return QStringLiteral("css");
    case ExportFormat::tailwind:
        return QStringLiteral("tailwind");
    }
    Q_UNREACHABLE();
}

std::optional<ExportFormat> fromRawValue(QStringView value) {
    for (ExportFormat format : allCases()) {
        if (value == rawValue(format))
            return format;
    }
    return std::nullopt;
}

QString menuLabel(ExportFormat format) {
    switch (format) {
    case ExportFormat::swift:
        return QStringLiteral("Swift");
    case ExportFormat::css:
        return QStringLiteral("CSS Variables");
    case ExportFormat::tailwind:
        return QStringLiteral("Tailwind");
    }
    Q_UNREACHABLE();
}

QString fileEnding(ExportFormat format) {
    switch (format) {
    case ExportFormat::swift:
        return QStringLiteral(".swift");
    case ExportFormat::css:
        return QStringLiteral(".css");
    case ExportFormat::tailwind:
        return QStringLiteral(".tailwind.css");
    }
    Q_UNREACHABLE();
}

QStringList words(QStringView name) {
    QStringList result;
    QString current;
    auto flush = [&] {
        if (!current.isEmpty()) {
            result.append(current);
            current.clear();
        }
    };

    // Pure ASCII needs no segmentation: no ASCII letter or digit joins a neighbour into one
    // character (only CR LF does, and both separate anyway).
    if (isAscii(name)) {
        for (QChar c : name) {
            if (isAsciiWordChar(c))
                current += c;
            else
                flush();
        }
        flush();
        return result;
    }

    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name.data(), int(name.size()));
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView cluster = name.sliced(start, end - start);
        if (cluster.size() == 1 && isAsciiWordChar(cluster.front()))
            current += cluster.front();
        else
            flush();
        start = end;
    }
    flush();
    return result;
}

QString swiftIdentifier(QStringView name) {
    const QStringList parts = words(name);
    QString identifier;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i == 0)
            identifier += parts.at(i).toLower();
        else
            identifier += parts.at(i).front().toUpper() + parts.at(i).mid(1);
    }
    if (identifier.isEmpty())
        return QStringLiteral("color");
    if (identifier.front().isDigit())
        identifier.prepend(QLatin1Char('c'));
    if (isReservedWord(identifier))
        return QLatin1Char('`') + identifier + QLatin1Char('`');
    return identifier;
}

QString cssName(QStringView name) {
    const QString joined = words(name).join(QLatin1Char('-')).toLower();
    return joined.isEmpty() ? QStringLiteral("color") : joined;
}

bool isReservedWord(const QString &word) {
    return reservedWords().contains(word);
}

QString exportText(const Palette &palette, ExportFormat format) {
    switch (format) {
    case ExportFormat::swift:
        return swiftText(palette);
    case ExportFormat::css:
        return propertyBlockText(palette, QStringLiteral(":root {\n"), QStringLiteral("  --"));
    case ExportFormat::tailwind:
        return propertyBlockText(palette, QStringLiteral("@theme {\n"),
                                 QStringLiteral("  --color-") +
                                     paletteStem(palette, QStringLiteral("palette")).toLower() +
                                     QLatin1Char('-'));
    }
    Q_UNREACHABLE();
}

QString exportFileName(const Palette &palette, ExportFormat format) {
    QString stem = paletteStem(palette, QStringLiteral("Palette"));
    if (format != ExportFormat::swift)
        stem = stem.toLower();
    // A file name holds at most 255 bytes (the stem is ASCII); whole words are kept while they fit.
    const QString ending = fileEnding(format);
    const qsizetype room = 255 - ending.size();
    if (stem.size() > room) {
        const bool atWordEnd = stem.at(room) == QLatin1Char('-');
        stem.truncate(room);
        if (const qsizetype dash = stem.lastIndexOf(QLatin1Char('-')); !atWordEnd && dash > 0)
            stem.truncate(dash);
    }
    return stem + ending;
}

} // namespace PaletteExport
