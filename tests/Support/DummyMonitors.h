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

// Writes an Xorg configuration into the folder `dir` and starts Xorg on it; false with *error
// set when the server does not come up.
bool start(XServerSession &server, const QString &dir, QString *error);

} // namespace DummyMonitors

// main() for tests across two monitors: starts Xorg with the dummy driver, points Qt's xcb
// platform at it, then runs the test class with a QApplication.
#define CHROMET_DUMMY_MONITORS_TEST_MAIN(TestObject)                                               \
    int main(int argc, char **argv) {                                                              \
        QTemporaryDir dir;                                                                         \
        XServerSession server;                                                                     \
        QString error;                                                                             \
        if (!DummyMonitors::start(server, dir.path(), &error)) {                                   \
            qCritical("cannot start Xorg with the dummy driver: %s", qPrintable(error));           \
            return 1;                                                                              \
        }                                                                                          \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                         \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
