#include "Support/DummyMonitors.h"

#include "Support/TestFiles.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// The second output only lights up because its monitor section enables it.
const char *const xorgConfig = R"(
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 262144
    Option "Monitor-DUMMY0" "left"
    Option "Monitor-DUMMY1" "right"
EndSection
Section "Monitor"
    Identifier "left"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
    Option "PreferredMode" "1024x768"
    Option "Position" "0 0"
    Option "Primary" "true"
EndSection
Section "Monitor"
    Identifier "right"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "800x600" 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync
    Option "PreferredMode" "800x600"
    Option "Position" "1024 0"
    Option "Enable" "true"
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "left"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 1824 768
    EndSubSection
EndSection
)";

} // namespace

bool DummyMonitors::start(XServerSession &server) {
    // Xorg reads its configuration only while it starts.
    const QTemporaryDir dir;
    XServerSession::Options options;
    options.xorgConfig = dir.filePath(u"dummy-two-monitors.conf"_s);
    return writeAll(options.xorgConfig, xorgConfig) && server.start(options);
}
