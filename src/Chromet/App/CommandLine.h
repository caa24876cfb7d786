#pragma once

#include "Chromet/Color/ColorFormat.h"

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// The `chromet` command line: format, nearest, contrast, export and history, plus --help and
// --version. `arguments` excludes the program name. A command writes to `out` only when it
// succeeds; bad input gives one line on `err` and nothing on `out`. The library file is only ever
// read. Returns the exit status: 0, or 2 for bad input.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

QString commandLineHelp();

// `chromet pick [--print] [--as FORMAT]`, the arguments after "pick".
struct PickCommand {
    bool print = false;
    std::optional<ColorFormat> format; // nothing: the default format
    bool help = false;
};
// Nothing, and one line on `err`, for bad input (exit status 2).
std::optional<PickCommand> parsePickCommand(const QStringList &arguments, QTextStream &err);
// "chromet 1.0 (27)": the project version and the build number.
QString commandLineVersion();
