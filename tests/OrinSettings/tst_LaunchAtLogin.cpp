#include "OrinSettings/LaunchAtLogin.h"
#include "Support/FakeLoginItemService.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The switch follows the system's login-item state: refused changes spring back to what the
// system reports, are logged once and leave the reason in lastError().
class tst_LaunchAtLogin : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeLoginItemService> m_service;
    QStringList m_log;
    std::unique_ptr<LaunchAtLogin> make() {
        return std::make_unique<LaunchAtLogin>(m_service,
                                               [this](const QString &line) { m_log.append(line); });
    }

private Q_SLOTS:
    void init() {
        m_service = std::make_shared<FakeLoginItemService>();
        m_log.clear();
    }

    void followsTheSystem() {
        m_service->registered = true;
        auto model = make();
        QVERIFY(model->isEnabled());
        QSignalSpy changed(model.get(), &LaunchAtLogin::isEnabledChanged);
        m_service->registered = false; // removed outside the application
        model->refresh();
        model->refresh();
        QVERIFY(!model->isEnabled());
        QCOMPARE(changed.count(), 1);
        model->setEnabled(true);
        model->setEnabled(false);
        QCOMPARE(m_service->requests, (QList<bool>{true, false}));
        QVERIFY(!m_service->registered);
        QVERIFY(m_log.isEmpty());
    }

    void refusedChangeSpringsBack() {
        auto model = make();
        m_service->refuse = true;
        QSignalSpy changed(model.get(), &LaunchAtLogin::isEnabledChanged);
        // A view bound to the switch writes back every value it is shown, the reverted one too.
        LaunchAtLogin *raw = model.get();
        connect(raw, &LaunchAtLogin::isEnabledChanged, raw,
                [raw](bool enabled) { raw->setEnabled(enabled); });
        model->setEnabled(true);
        QVERIFY(!model->isEnabled());
        QCOMPARE(changed.count(), 2); // on, then back off
        QCOMPARE(m_service->requests, QList<bool>{true});
        QCOMPARE(model->lastError(), u"Operation not permitted."_s);
        QCOMPARE(m_log.size(), 1);

        m_service->refuse = false;
        QSignalSpy errorChanged(model.get(), &LaunchAtLogin::lastErrorChanged);
        model->setEnabled(true);
        QVERIFY(model->isEnabled());
        QVERIFY(!model->lastError());
        QCOMPARE(errorChanged.count(), 1);
    }

    void refusedButRegisteredElsewhere() {
        auto model = make();
        m_service->refuse = true;
        m_service->registered = true; // the system's state wins, not the old value
        model->setEnabled(true);
        QVERIFY(model->isEnabled());
        QVERIFY(model->lastError());
        QCOMPARE(m_log.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_LaunchAtLogin)
#include "tst_LaunchAtLogin.moc"
