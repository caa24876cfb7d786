#include "OrinSettings/DockIcon.h"

#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

struct Call {
    QPointer<QWindow> window;
    bool listed;
    bool mapped;
};
QList<Call> calls;

// Records what the policy asks of the desktop.
class RecordingPresence final : public TaskbarPresence {
public:
    void setListed(QWindow *window, bool listed, bool mapped) override {
        calls.append(Call{window, listed, mapped});
    }
};

} // namespace

// The two policies and how they reach the application's windows, now and later.
class tst_DockIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::accessory);
        DockIcon::setTaskbarPresence(std::make_unique<RecordingPresence>());
    }

    void shownWindowsChangeAtOnceAndOnlyOnChange() {
        QWidget first, second, closed;
        first.show();
        second.show();
        closed.show();
        closed.hide();
        // Popups, tool windows (floating panels) and native child windows are left alone.
        QMenu menu;
        menu.addAction(u"Item"_s);
        menu.popup(QPoint(10, 10));
        QWidget child(&first);
        child.setAttribute(Qt::WA_NativeWindow);
        child.show();
        calls.clear();
        DockIcon::apply(false);
        QCOMPARE(calls.size(), 0);
        DockIcon::apply(true);
        DockIcon::apply(true);
        QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        panel.show();
        QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::regular);
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls.at(0).window != calls.at(1).window);
        for (const Call &call : std::as_const(calls)) {
            QVERIFY(call.window == first.windowHandle() || call.window == second.windowHandle());
            QVERIFY(call.listed && call.mapped);
        }
        DockIcon::apply(false);
        QCOMPARE(calls.size(), 4);
        QVERIFY(!calls.last().listed);
        menu.close();
    }
};

QTEST_MAIN(tst_DockIcon)
#include "tst_DockIcon.moc"
