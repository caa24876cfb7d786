#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

class XServerSession;

// Two monitors side by side on Xorg's dummy driver: DUMMY0 1024x768 at the origin and DUMMY1
// 800x600 to its right, for tests across displays. Xvfb has only one.
namespace DummyMonitors {

inline constexpr QRect left{0, 0, 1024, 768};
inline constexpr QRect right{1024, 0, 800, 600};

// The Xorg configuration. The second output only lights up because its monitor section enables it.
QByteArray xorgConfig();

// Writes the configuration into the folder `dir` and starts Xorg on it; false with *error set
// when the server does not come up.
bool start(XServerSession &server, const QString &dir, QString *error);

} // namespace DummyMonitors
