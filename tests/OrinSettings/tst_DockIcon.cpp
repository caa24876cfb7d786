#include "OrinSettings/DockIcon.h"

#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

struct Call {
    QPointer<QWindow> window;
    bool listed;
    bool mapped;
};

// Records what the policy asks of the desktop.
class RecordingPresence final : public TaskbarPresence {
public:
    explicit RecordingPresence(QList<Call> *calls)
        : m_calls(calls) {}
    void setListed(QWindow *window, bool listed, bool mapped) override {
        m_calls->append(Call{window, listed, mapped});
    }

private:
    QList<Call> *m_calls;
};

} // namespace

// The two policies and how they reach the application's windows, now and later.
class tst_DockIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void windowsShownLaterFollowThePolicy();
    void shownWindowsChangeAtOnce();
    void applyingTheCurrentPolicyDoesNothing();
    void popupsToolsAndChildWindowsAreLeftAlone();

private:
    QList<Call> m_calls;
};

void tst_DockIcon::initTestCase() {
    // The application starts as an accessory.
    QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::accessory);
    DockIcon::setTaskbarPresence(std::make_unique<RecordingPresence>(&m_calls));
}

void tst_DockIcon::init() {
    DockIcon::setActivationPolicy(ActivationPolicy::accessory);
    m_calls.clear();
}

void tst_DockIcon::windowsShownLaterFollowThePolicy() {
    QWidget hidden;
    hidden.show();
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls.first().window.data(), hidden.windowHandle());
    QCOMPARE(m_calls.first().listed, false);
    QCOMPARE(m_calls.first().mapped, false);
    hidden.hide();

    DockIcon::apply(true);
    m_calls.clear();
    QWidget listed;
    listed.show();
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls.first().listed, true);
    QCOMPARE(m_calls.first().mapped, false);
}

void tst_DockIcon::shownWindowsChangeAtOnce() {
    QWidget first;
    QWidget second;
    QWidget closed;
    first.show();
    second.show();
    closed.show();
    closed.hide();
    m_calls.clear();

    DockIcon::apply(true);
    QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::regular);
    QCOMPARE(m_calls.size(), 2);
    for (const Call &call : std::as_const(m_calls)) {
        QVERIFY(call.window == first.windowHandle() || call.window == second.windowHandle());
        QCOMPARE(call.listed, true);
        QCOMPARE(call.mapped, true);
    }
    QVERIFY(m_calls.at(0).window != m_calls.at(1).window);
}

void tst_DockIcon::applyingTheCurrentPolicyDoesNothing() {
    QWidget window;
    window.show();
    m_calls.clear();
    DockIcon::apply(false);
    QCOMPARE(m_calls.size(), 0);
    DockIcon::apply(true);
    DockIcon::apply(true);
    QCOMPARE(m_calls.size(), 1);
    DockIcon::apply(false);
    DockIcon::apply(false);
    QCOMPARE(m_calls.size(), 2);
    QCOMPARE(m_calls.last().listed, false);
}

void tst_DockIcon::popupsToolsAndChildWindowsAreLeftAlone() {
    QWidget window;
    window.show();
    m_calls.clear();
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(10, 10));
    QWidget child(&window);
    child.setAttribute(Qt::WA_NativeWindow);
    child.show();
    // A floating panel keeps itself out of the taskbar, whatever the policy.
    DockIcon::apply(true);
    m_calls.clear();
    QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    panel.show();
    QCOMPARE(m_calls.size(), 0);
    menu.close();
}

QTEST_MAIN(tst_DockIcon)
#include "tst_DockIcon.moc"
