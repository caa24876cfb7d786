#include "Chromet/App/CommandLine.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/ColorMath.h"
#include "Chromet/Color/TailwindPalette.h"
#include "Chromet/Contrast/ContrastModel.h"
#include "Chromet/Info/AppInfo.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Library/PaletteExport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int usageErrorStatus = 2;

// Bad input: unwinds to runCommandLine, which prints the message as the one error line.
struct UsageError {
    QString message;
};

[[noreturn]] void fail(const QString &message) {
    throw UsageError{message};
}

QString quoted(const QString &text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

struct OptionSpec {
    QString name; // with the leading "--"
    bool takesValue = false;
};

struct ParsedArguments {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;

    std::optional<QString> value(const QString &name) const {
        const auto it = values.constFind(name);
        return it == values.cend() ? std::nullopt : std::optional<QString>(*it);
    }
    bool has(const QString &name) const { return flags.contains(name); }
};

// Splits a command's arguments into the positional ones (exactly `positionalNames`) and options,
// given as "--name value" or "--name=value". "--" ends the options.
ParsedArguments parseArguments(const QString &command, const QStringList &arguments,
                               const QList<OptionSpec> &options,
                               const QStringList &positionalNames) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            parsed.positional.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const auto known = std::find_if(options.cbegin(), options.cend(),
                                        [&](const OptionSpec &o) { return o.name == name; });
        if (known == options.cend())
            fail(QStringLiteral("unknown option %1 for %2").arg(name, command));
        if (parsed.values.contains(name) || parsed.flags.contains(name))
            fail(QStringLiteral("option %1 is given more than once").arg(name));
        if (!known->takesValue) {
            if (equals >= 0)
                fail(QStringLiteral("option %1 takes no value").arg(name));
            parsed.flags.insert(name);
            continue;
        }
        if (equals >= 0) {
            parsed.values.insert(name, argument.mid(equals + 1));
        } else {
            if (i + 1 >= arguments.size())
                fail(QStringLiteral("option %1 needs a value").arg(name));
            parsed.values.insert(name, arguments.at(++i));
        }
    }
    if (parsed.flags.contains(QLatin1String("--help")))
        return parsed;
    if (parsed.positional.size() < positionalNames.size())
        fail(QStringLiteral("%1 needs %2")
                 .arg(command, positionalNames.at(parsed.positional.size())));
    if (parsed.positional.size() > positionalNames.size())
        fail(QStringLiteral("unexpected argument %1 for %2")
                 .arg(quoted(parsed.positional.at(positionalNames.size())), command));
    return parsed;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<RGB> parseHex(QStringView digits) {
    if (digits.size() != 6 && digits.size() != 3)
        return std::nullopt;
    double channels[3];
    const qsizetype width = digits.size() / 3;
    for (int i = 0; i < 3; ++i) {
        int byte = 0;
        for (qsizetype k = 0; k < width; ++k) {
            const int digit = hexDigit(digits.at(i * width + k));
            if (digit < 0)
                return std::nullopt;
            byte = byte * 16 + digit;
        }
        if (width == 1)
            byte *= 17; // #RGB: each digit doubled
        channels[i] = byte / 255.0;
    }
    return RGB{channels[0], channels[1], channels[2]};
}

// "R,G,B": three decimal numbers in 0...1, always with a period whatever the locale.
RGB parseTriple(const QString &text, const QString &what) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        fail(QStringLiteral("invalid %1 %2: expected R,G,B with three channels in 0...1")
                 .arg(what, quoted(text)));
    double channels[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        // QString::toDouble reads the C locale, never the process locale.
        const double value = parts.at(i).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            fail(QStringLiteral("invalid %1 %2: %3 is not a number")
                     .arg(what, quoted(text), quoted(parts.at(i))));
        if (value < 0 || value > 1)
            fail(QStringLiteral("invalid %1 %2: channel %3 is outside 0...1")
                     .arg(what, quoted(text), parts.at(i)));
        channels[i] = value;
    }
    return RGB{channels[0], channels[1], channels[2]};
}

RGB parseSrgb(const QString &text) {
    if (text.startsWith(QLatin1Char('#'))) {
        if (const auto rgb = parseHex(QStringView(text).mid(1)))
            return *rgb;
        fail(QStringLiteral("invalid color %1: expected #RRGGBB, #RGB or R,G,B").arg(quoted(text)));
    }
    if (!text.contains(QLatin1Char(',')))
        fail(QStringLiteral("invalid color %1: expected #RRGGBB, #RGB or R,G,B").arg(quoted(text)));
    return parseTriple(text, QStringLiteral("color"));
}

// The sRGB color as a pick would hold it: its Display P3 triple comes from color management.
PickedColor parseColor(const QString &text) {
    return pickedColor(parseSrgb(text), QColorSpace(QColorSpace::SRgb));
}

ColorFormat parseColorFormat(const QString &text) {
    if (const auto format = ColorFormats::fromRawValue(text))
        return *format;
    QStringList known;
    for (ColorFormat format : ColorFormats::allCases())
        known.append(ColorFormats::rawValue(format));
    fail(QStringLiteral("unknown format %1 (one of: %2)")
             .arg(quoted(text), known.join(QLatin1String(", "))));
}

ExportFormat parseExportFormat(const QString &text) {
    if (const auto format = PaletteExport::fromRawValue(text))
        return *format;
    QStringList known;
    for (ExportFormat format : PaletteExport::allCases())
        known.append(PaletteExport::rawValue(format));
    fail(QStringLiteral("unknown export format %1 (one of: %2)")
             .arg(quoted(text), known.join(QLatin1String(", "))));
}

// Reads the library without ever writing: a corrupt file stays where it is, byte for byte, for
// the application to deal with. A missing file is an empty library.
Library readLibrary(const std::optional<QString> &option) {
    const QString path = option ? *option : LibraryStore::defaultPath();
    if (path.isEmpty()) {
        if (option)
            fail(QStringLiteral("option --library needs a file name"));
        return Library{};
    }
    // The application's own reading: a FIFO, a device or a huge file is an error, not a hang.
    const LibraryStore::FileRead read = LibraryStore::readFile(path);
    if (read.outcome == LibraryStore::FileRead::Missing)
        return Library{};
    if (read.outcome == LibraryStore::FileRead::Failed)
        fail(QStringLiteral("cannot read library %1").arg(read.error));
    const QByteArray &bytes = read.bytes;
    QString error;
    auto library = LibraryStore::decode(bytes, &error);
    if (!library)
        fail(QStringLiteral("library %1 is corrupt: %2").arg(path, error));
    return std::move(*library);
}

const OptionSpec helpOption{QStringLiteral("--help"), false};

QString runFormat(const QStringList &arguments) {
    const ParsedArguments parsed = parseArguments(QStringLiteral("format"), arguments,
                                                  {helpOption,
                                                   {QStringLiteral("--as"), true},
                                                   {QStringLiteral("--name"), true},
                                                   {QStringLiteral("--lowercase-hex"), false},
                                                   {QStringLiteral("--label"), false},
                                                   {QStringLiteral("--p3"), true}},
                                                  {QStringLiteral("COLOR")});
    if (parsed.has(QStringLiteral("--help")))
        return commandLineHelp();

    PickedColor color = parseColor(parsed.positional.at(0));
    if (const auto p3 = parsed.value(QStringLiteral("--p3")))
        color.p3 = parseTriple(*p3, QStringLiteral("P3 color"));
    const bool lowercaseHex = parsed.has(QStringLiteral("--lowercase-hex"));

    const auto as = parsed.value(QStringLiteral("--as"));
    if (!as) {
        QString text;
        for (ColorFormat format : ColorFormats::allCases()) {
            text += ColorFormats::displayName(format) + QStringLiteral(": ") +
                    ColorFormats::labelText(format, color, lowercaseHex) + QLatin1Char('\n');
        }
        return text;
    }
    const ColorFormat format = parseColorFormat(*as);
    if (parsed.has(QStringLiteral("--label")))
        return ColorFormats::labelText(format, color, lowercaseHex) + QLatin1Char('\n');
    return ColorFormats::format(format, color, parsed.value(QStringLiteral("--name")),
                                lowercaseHex) +
           QLatin1Char('\n');
}

QString runNearest(const QStringList &arguments) {
    const ParsedArguments parsed = parseArguments(QStringLiteral("nearest"), arguments,
                                                  {helpOption}, {QStringLiteral("COLOR")});
    if (parsed.has(QStringLiteral("--help")))
        return commandLineHelp();
    const TailwindMatch match = nearestTailwind(parseSrgb(parsed.positional.at(0)));
    return match.name + QLatin1Char(' ') + formatNumber(match.distance, 6, false) +
           QLatin1Char('\n');
}

QString runContrast(const QStringList &arguments) {
    const ParsedArguments parsed =
        parseArguments(QStringLiteral("contrast"), arguments, {helpOption},
                       {QStringLiteral("TEXT"), QStringLiteral("BACKGROUND")});
    if (parsed.has(QStringLiteral("--help")))
        return commandLineHelp();
    const ContrastModel model{parseColor(parsed.positional.at(0)),
                              parseColor(parsed.positional.at(1))};
    const double ratio = model.ratio();
    QString text = Contrast::ratioText(ratio) + QLatin1Char('\n') + Contrast::lcText(model.lc()) +
                   QLatin1Char('\n');
    for (const ContrastLevel &level : Contrast::levels(ratio)) {
        text += level.label + QStringLiteral(": ") +
                (level.passes ? QStringLiteral("pass") : QStringLiteral("fail")) +
                QLatin1Char('\n');
    }
    return text;
}

QString runExport(const QStringList &arguments) {
    const ParsedArguments parsed = parseArguments(QStringLiteral("export"), arguments,
                                                  {helpOption,
                                                   {QStringLiteral("--palette"), true},
                                                   {QStringLiteral("--as"), true},
                                                   {QStringLiteral("--library"), true},
                                                   {QStringLiteral("--file-name"), false}},
                                                  {});
    if (parsed.has(QStringLiteral("--help")))
        return commandLineHelp();
    const auto wanted = parsed.value(QStringLiteral("--palette"));
    if (!wanted)
        fail(QStringLiteral("export needs --palette NAME_OR_ID"));
    const auto as = parsed.value(QStringLiteral("--as"));
    if (!as)
        fail(QStringLiteral("export needs --as swift|css|tailwind"));
    const ExportFormat format = parseExportFormat(*as);
    const Library library = readLibrary(parsed.value(QStringLiteral("--library")));

    // An id wins over a name; names need not be unique, so the first one counts.
    const Palette *palette = nullptr;
    const QUuid id = QUuid::fromString(*wanted);
    if (!id.isNull())
        palette = library.palette(id);
    if (!palette) {
        const auto byName = std::find_if(library.palettes.cbegin(), library.palettes.cend(),
                                         [&](const Palette &p) { return p.name == *wanted; });
        if (byName != library.palettes.cend())
            palette = &*byName;
    }
    if (!palette)
        fail(QStringLiteral("palette %1 not found").arg(quoted(*wanted)));

    if (parsed.has(QStringLiteral("--file-name")))
        return PaletteExport::exportFileName(*palette, format) + QLatin1Char('\n');
    return PaletteExport::exportText(*palette, format);
}

QString runHistory(const QStringList &arguments) {
    const ParsedArguments parsed =
        parseArguments(QStringLiteral("history"), arguments,
                       {helpOption, {QStringLiteral("--library"), true}}, {});
    if (parsed.has(QStringLiteral("--help")))
        return commandLineHelp();
    const Library library = readLibrary(parsed.value(QStringLiteral("--library")));
    QString text;
    for (const PickedColor &color : library.history)
        text += hexString(color.srgb, false) + QLatin1Char('\n');
    return text;
}

PickCommand parsePick(const QStringList &arguments) {
    const ParsedArguments parsed = parseArguments(
        QStringLiteral("pick"), arguments,
        {helpOption, {QStringLiteral("--print"), false}, {QStringLiteral("--as"), true}}, {});
    PickCommand command;
    command.help = parsed.has(QStringLiteral("--help"));
    command.print = parsed.has(QStringLiteral("--print"));
    if (const auto as = parsed.value(QStringLiteral("--as"))) {
        if (!command.print)
            fail(QStringLiteral("--as needs --print"));
        command.format = parseColorFormat(*as);
    }
    return command;
}

QString run(const QStringList &arguments) {
    if (arguments.isEmpty())
        return commandLineHelp();
    const QString &command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        if (!rest.isEmpty())
            fail(QStringLiteral("unexpected argument %1").arg(quoted(rest.first())));
        return commandLineHelp();
    }
    if (command == QLatin1String("--version")) {
        if (!rest.isEmpty())
            fail(QStringLiteral("unexpected argument %1").arg(quoted(rest.first())));
        return commandLineVersion() + QLatin1Char('\n');
    }
    if (command == QLatin1String("format"))
        return runFormat(rest);
    if (command == QLatin1String("nearest"))
        return runNearest(rest);
    if (command == QLatin1String("contrast"))
        return runContrast(rest);
    if (command == QLatin1String("export"))
        return runExport(rest);
    if (command == QLatin1String("history"))
        return runHistory(rest);
    if (command.startsWith(QLatin1Char('-')))
        fail(QStringLiteral("unknown option %1").arg(command));
    fail(QStringLiteral("unknown command %1").arg(quoted(command)));
}

// One line, whatever the message quotes (a file name or a value may hold a line break).
QString oneLine(QString message) {
    message.replace(QLatin1Char('\r'), QLatin1Char(' '));
    message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return message;
}

} // namespace

QString commandLineVersion() {
    return QStringLiteral("chromet %1 (%2)")
        .arg(QLatin1StringView(ChrometInfo::version), QLatin1StringView(ChrometInfo::buildNumber));
}

QString commandLineHelp() {
    return QStringLiteral(
        "Usage: chromet COMMAND [OPTIONS]\n"
        "Without a command, Chromet starts in the system tray (once per desktop session); when it\n"
        "runs already, its settings window opens.\n"
        "\n"
        "Commands:\n"
        "  pick [--print [--as FORMAT]]\n"
        "      Picks a color with the loupe, as the shortcut does: through the running Chromet,\n"
        "      or on its own when none runs. The color goes into the history and onto the\n"
        "      clipboard. Without --print it returns at once; with --print it waits and prints\n"
        "      the color's code (in the default format unless --as names one). Exits with 1 when\n"
        "      the pick is cancelled or no display can be reached. When no Chromet runs, a small\n"
        "      background process keeps the copied code on the clipboard after this one ends,\n"
        "      until something else is copied.\n"
        "  format COLOR [--as FORMAT] [--name NAME] [--lowercase-hex] [--label] [--p3 R,G,B]\n"
        "      The color as code: in every format (with its label), or in FORMAT only.\n"
        "      --name gives the CSS variable's name; --p3 the Display P3 channels, which are\n"
        "      otherwise converted from sRGB.\n"
        "  nearest COLOR\n"
        "      The nearest Tailwind color and its OKLab distance.\n"
        "  contrast TEXT BACKGROUND\n"
        "      WCAG contrast ratio, APCA Lc and the AA/AAA levels.\n"
        "  export --palette NAME_OR_ID --as swift|css|tailwind [--library FILE] [--file-name]\n"
        "      A palette as source text, or the suggested file name.\n"
        "  history [--library FILE]\n"
        "      Recent colors, most recent first.\n"
        "\n"
        "COLOR is #RRGGBB, #RGB or R,G,B (sRGB channels from 0 to 1, such as 0.2,0.4,0.6).\n"
        "FORMAT is one of hex, rgb, hsl, oklch, swiftUI, swiftUIP3, nsColor, uiColor,\n"
        "cssVariable, tailwind.\n"
        "The library is read from $XDG_DATA_HOME/Chromet/library.json unless --library names\n"
        "another file; it is never changed.\n"
        "\n"
        "  --help     Show this help.\n"
        "  --version  Show the version.\n");
}

std::optional<PickCommand> parsePickCommand(const QStringList &arguments, QTextStream &err) {
    try {
        return parsePick(arguments);
    } catch (const UsageError &error) {
        err << "chromet: " << oneLine(error.message) << '\n';
        err.flush();
        return std::nullopt;
    }
}

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err) {
    QString output;
    try {
        output = run(arguments);
    } catch (const UsageError &error) {
        err << "chromet: " << oneLine(error.message) << '\n';
        err.flush();
        return usageErrorStatus;
    }
    out << output;
    out.flush();
    return 0;
}
