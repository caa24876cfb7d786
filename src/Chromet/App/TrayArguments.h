#pragma once

#include <QStringList>

// Whether `arguments` (without the program name) start the tray application rather than the
// command line: none at all, or a first argument that is one of the options Qt reads for every
// graphical application (-platform, -display, -style, -name…), as desktops and session managers
// pass them (a restored session starts "chromet -session ID"). Anything else is a command.
bool startsTrayApplication(const QStringList &arguments);
