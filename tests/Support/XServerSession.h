#pragma once

#include <QProcess>
#include <QString>

using namespace Qt::StringLiterals;

// Starts a private X server for one test process and stops it again. The display number comes from
// the server itself (-displayfd), so parallel tests never collide.
class XServerSession {
public:
    struct Options {
        // Empty: Xvfb with one screen of screenSize. Otherwise the Xorg configuration file to run
        // with the dummy driver (several monitors).
        QString xorgConfig;
        QString screenSize = u"1920x1080x24"_s;
    };

    XServerSession() = default;
    ~XServerSession() { stop(); }
    XServerSession(const XServerSession &) = delete;
    XServerSession &operator=(const XServerSession &) = delete;

    // Starts the server and exports DISPLAY; false with errorString() set when it cannot start.
    bool start(const Options &options);
    bool start() { return start(Options{}); }
    void stop();

    QString errorString() const { return m_error; }

private:
    QProcess m_server;
    QString m_error;
};

// main() for tests that need a real X server: starts one (`started` runs with `server` in scope),
// points Qt's xcb platform at it, then runs the test class with a QApplication.
#define CHROMET_X11_TEST_MAIN_ON(TestObject, started)                                              \
    int main(int argc, char **argv) {                                                              \
        XServerSession server;                                                                     \
        if (!(started)) {                                                                          \
            qCritical("cannot start X server: %s", qPrintable(server.errorString()));              \
            return 1;                                                                              \
        }                                                                                          \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                         \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
// On Xvfb with one screen.
#define CHROMET_X11_TEST_MAIN(TestObject) CHROMET_X11_TEST_MAIN_ON(TestObject, server.start())
