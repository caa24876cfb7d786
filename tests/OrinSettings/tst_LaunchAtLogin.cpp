#include "OrinSettings/FakeLoginItemService.h"
#include "OrinSettings/LaunchAtLogin.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// The switch follows the system's login-item state: refused changes spring back to what the
// system reports, are logged once and leave the reason in lastError().
class tst_LaunchAtLogin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void startsFromTheSystemState();
    void successfulChange();
    void assigningTheCurrentValueAsksNothing();
    void refusedChangeSpringsBack();
    void refusedButRegisteredElsewhere();
    void successClearsTheLastError();
    void refreshReadsWithoutChanging();
    void revertDoesNotReachTheService();

private:
    std::shared_ptr<FakeLoginItemService> m_service;
    QStringList m_log;
    std::unique_ptr<LaunchAtLogin> make() {
        return std::make_unique<LaunchAtLogin>(m_service,
                                               [this](const QString &line) { m_log.append(line); });
    }
};

void tst_LaunchAtLogin::init() {
    m_service = std::make_shared<FakeLoginItemService>();
    m_log.clear();
}

void tst_LaunchAtLogin::startsFromTheSystemState() {
    m_service->registered = true;
    QVERIFY(make()->isEnabled());
    m_service->registered = false;
    auto model = make();
    QVERIFY(!model->isEnabled());
    QVERIFY(!model->lastError());
    QVERIFY(m_service->requests.isEmpty());
}

void tst_LaunchAtLogin::successfulChange() {
    auto model = make();
    QSignalSpy changed(model.get(), &LaunchAtLogin::isEnabledChanged);
    model->setEnabled(true);
    QVERIFY(model->isEnabled());
    QVERIFY(m_service->registered);
    QCOMPARE(m_service->requests, QList<bool>{true});
    QCOMPARE(changed.count(), 1);
    model->setEnabled(false);
    QVERIFY(!m_service->registered);
    QCOMPARE(m_service->requests, (QList<bool>{true, false}));
    QVERIFY(m_log.isEmpty());
}

void tst_LaunchAtLogin::assigningTheCurrentValueAsksNothing() {
    auto model = make();
    m_service->refuse = true;
    model->setEnabled(true);
    const auto error = model->lastError();
    QVERIFY(error);
    m_service->requests.clear();
    QSignalSpy errorChanged(model.get(), &LaunchAtLogin::lastErrorChanged);
    model->setEnabled(false);
    QVERIFY(m_service->requests.isEmpty());
    QCOMPARE(model->lastError(), error);
    QCOMPARE(errorChanged.count(), 0);
}

void tst_LaunchAtLogin::refusedChangeSpringsBack() {
    auto model = make();
    m_service->refuse = true;
    QSignalSpy changed(model.get(), &LaunchAtLogin::isEnabledChanged);
    model->setEnabled(true);
    QVERIFY(!model->isEnabled());
    QCOMPARE(model->lastError(), QStringLiteral("Operation not permitted."));
    QCOMPARE(m_log, QStringList{"launch at login change failed: registration refused (code 1)"});
    // On, then back off.
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).first().toBool(), false);
}

void tst_LaunchAtLogin::refusedButRegisteredElsewhere() {
    auto model = make();
    m_service->refuse = true;
    // Registered meanwhile by someone else: the system's state wins, not the old value.
    m_service->registered = true;
    model->setEnabled(true);
    QVERIFY(model->isEnabled());
    QVERIFY(model->lastError());
    QCOMPARE(m_log.size(), 1);
}

void tst_LaunchAtLogin::successClearsTheLastError() {
    auto model = make();
    m_service->refuse = true;
    model->setEnabled(true);
    QVERIFY(model->lastError());
    m_service->refuse = false;
    QSignalSpy errorChanged(model.get(), &LaunchAtLogin::lastErrorChanged);
    model->setEnabled(true);
    QVERIFY(model->isEnabled());
    QVERIFY(!model->lastError());
    QCOMPARE(errorChanged.count(), 1);
}

void tst_LaunchAtLogin::refreshReadsWithoutChanging() {
    m_service->registered = true;
    auto model = make();
    QSignalSpy changed(model.get(), &LaunchAtLogin::isEnabledChanged);
    m_service->registered = false; // removed outside the application
    model->refresh();
    QVERIFY(!model->isEnabled());
    QCOMPARE(changed.count(), 1);
    QVERIFY(m_service->requests.isEmpty());
    model->refresh();
    QCOMPARE(changed.count(), 1);
}

void tst_LaunchAtLogin::revertDoesNotReachTheService() {
    auto model = make();
    m_service->refuse = true;
    // A view bound to the switch writes back every value it is shown, the reverted one too.
    LaunchAtLogin *raw = model.get();
    connect(raw, &LaunchAtLogin::isEnabledChanged, raw,
            [raw](bool enabled) { raw->setEnabled(enabled); });
    model->setEnabled(true);
    QCOMPARE(m_service->requests, QList<bool>{true});
    QVERIFY(!model->isEnabled());
    QCOMPARE(m_log.size(), 1);
}

QTEST_GUILESS_MAIN(tst_LaunchAtLogin)
#include "tst_LaunchAtLogin.moc"
