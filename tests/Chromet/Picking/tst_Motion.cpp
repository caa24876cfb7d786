#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/ReduceMotion.h"
#include "Support/TestFiles.h"

#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

// Something with a layer: opacity and scale.
class Layer : public QObject {
    Q_OBJECT
    Q_PROPERTY(qreal opacity MEMBER opacity)
    Q_PROPERTY(qreal scale MEMBER scale)
    Q_PROPERTY(QRectF frame MEMBER frame)

public:
    qreal opacity = 1;
    qreal scale = 1;
    QRectF frame;
};

void setReduceMotion(bool on) {
    qputenv("CHROMET_REDUCE_MOTION", on ? "1" : "0");
}

QAbstractAnimation *onlyAnimation(QObject *object) {
    const auto animations = object->findChildren<QAbstractAnimation *>(Qt::FindDirectChildrenOnly);
    return animations.size() == 1 ? animations.first() : nullptr;
}

} // namespace

class tst_Motion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { setReduceMotion(false); }
    void cleanupTestCase() { qunsetenv("CHROMET_REDUCE_MOTION"); }

    void springsSettleInAPlausibleTime() {
        const double pop = Motion::popSpring.settlingDuration();
        QVERIFY2(pop > 0.4 && pop < 1.5, qPrintable(QString::number(pop)));
        QVERIFY(std::abs(Motion::popSpring.valueAt(pop) - 1) <= 0.001);
        // Damping 18 on stiffness 320 is about half of critical: it overshoots once by
        // exp(-pi zeta / sqrt(1 - zeta^2)) of the distance, then rests.
        double peak = 0;
        for (int ms = 0; ms <= 1000; ++ms)
            peak = std::max(peak, Motion::popSpring.valueAt(ms / 1000.0));
        const double zeta = 18 / (2 * std::sqrt(320.0));
        const double overshoot = std::exp(-M_PI * zeta / std::sqrt(1 - zeta * zeta));
        QVERIFY2(std::abs(peak - 1 - overshoot) < 1e-3, qPrintable(QString::number(peak)));

        // Critically and over-damped springs settle too, without overshoot.
        const Motion::Spring critical{100, 20, 1};
        const Motion::Spring heavy{100, 60, 1};
        QVERIFY(critical.settlingDuration() < heavy.settlingDuration());
        QVERIFY(heavy.settlingDuration() < 10);
        for (int ms = 0; ms <= 3000; ms += 10) {
            QVERIFY(critical.valueAt(ms / 1000.0) <= 1.0);
            QVERIFY(heavy.valueAt(ms / 1000.0) <= 1.0);
        }
    }
    void scaleAnimationReduced_data() {
        QTest::addColumn<int>("flag"); // -1: ask the desktop
        QTest::addColumn<bool>("environment");
        QTest::addColumn<bool>("reduced");
        QTest::newRow("flag on") << 1 << false << true;
        QTest::newRow("flag off beats the desktop") << 0 << true << false;
        QTest::newRow("unset, desktop reduces") << -1 << true << true;
        QTest::newRow("unset, desktop animates") << -1 << false << false;
    }
    void scaleAnimationReduced() {
        QFETCH(int, flag);
        QFETCH(bool, environment);
        QFETCH(bool, reduced);
        setReduceMotion(environment);
        const auto animation = Motion::scaleAnimation(
            flag < 0 ? std::nullopt : std::optional<bool>(flag == 1), 1.0, 0.9);
        if (reduced) {
            QCOMPARE(animation->duration(), 150);
            QCOMPARE(animation->easingCurve().type(), QEasingCurve::Linear);
        } else {
            QCOMPARE(animation->duration(), Motion::settlingMilliseconds(Motion::popSpring));
        }
    }
    void popInAndOut_data() {
        QTest::addColumn<bool>("reduced");
        QTest::newRow("spring") << false;
        QTest::newRow("reduced: fade only") << true;
    }
    void popInAndOut() {
        QFETCH(bool, reduced);
        setReduceMotion(reduced);
        Layer layer;
        Motion::popIn(&layer, 0.82, 0);
        // Already a frame in: the first frame painted shows it.
        QVERIFY(layer.opacity > 0 && layer.opacity < 1);
        QVERIFY(reduced ? layer.scale == 1.0 : layer.scale > 0.82 && layer.scale < 1);
        QVERIFY(Motion::isAnimating(&layer));
        QTRY_VERIFY(!Motion::isAnimating(&layer));
        QCOMPARE(layer.opacity, 1.0);
        QCOMPARE(layer.scale, 1.0);

        // Popping out shrinks (unless reduced) and fades, and stays there.
        Motion::popOut(&layer, 0.92, 0.16);
        QVERIFY(Motion::isAnimating(&layer));
        QTRY_VERIFY(!Motion::isAnimating(&layer));
        QCOMPARE(layer.opacity, 0.0);
        QCOMPARE(layer.scale, reduced ? 1.0 : 0.92);
    }
    void popInDelayKeepsTheViewTransparent() {
        setReduceMotion(true);
        Layer layer;
        Motion::popIn(&layer, 0.9, 0.5);
        auto *group = qobject_cast<QSequentialAnimationGroup *>(onlyAnimation(&layer));
        QVERIFY(group);
        QCOMPARE(group->totalDuration(), 500 + 120);
        // The clock is driven by hand: transparent throughout the delay, then fading in.
        group->pause();
        group->setCurrentTime(0);
        QCOMPARE(layer.opacity, 0.0);
        group->setCurrentTime(499);
        QCOMPARE(layer.opacity, 0.0);
        group->setCurrentTime(560);
        QVERIFY(layer.opacity > 0.3 && layer.opacity < 1.0);
        Motion::finish(&layer);
        QCOMPARE(layer.opacity, 1.0);
    }
    void objectsWithoutALayerAreLeftAlone() {
        QObject plain;
        QWidget widget; // has no opacity or scale property
        for (QObject *object : {&plain, static_cast<QObject *>(&widget)}) {
            Motion::popIn(object, 0.8, 0.1);
            Motion::popOut(object, 0.9, 0.1);
            QVERIFY(!Motion::isAnimating(object));
            QVERIFY(object->findChildren<QAbstractAnimation *>().isEmpty());
        }
        int completions = 0;
        Motion::animate({{&plain, "scale", 0.5}}, [&] { ++completions; });
        QTRY_COMPARE(completions, 1);
    }
    void newAnimationReplacesTheRunningOne() {
        Layer layer;
        Motion::popOut(&layer, 0.92, 10);
        Motion::popIn(&layer, 0.82, 0);
        // The pop-in owns opacity and scale now; the pop-out no longer pulls them down.
        Motion::finish(&layer);
        QCOMPARE(layer.opacity, 1.0);
        QCOMPARE(layer.scale, 1.0);
        QTRY_VERIFY(layer.findChildren<QAbstractAnimation *>().isEmpty());
    }
    void animateMovesAndCompletesOnce() {
        Layer layer;
        layer.frame = QRectF(10, 10, 100, 36);
        int completions = 0;
        Motion::animate({{&layer, "frame", QRectF(0, 10, 130, 36)}, {&layer, "scale", 0.5}},
                        [&] { ++completions; });
        QCOMPARE(completions, 0);
        QTRY_COMPARE(completions, 1);
        QCOMPARE(layer.frame, QRectF(0, 10, 130, 36));
        QCOMPARE(layer.scale, 0.5);
        QCoreApplication::processEvents(); // nothing further is queued
        QCOMPARE(completions, 1);
    }
    void animateCompletesWhenTheTargetGoes() {
        auto *layer = new Layer;
        int completions = 0;
        Motion::animate({{layer, "scale", 0.5}}, [&] { ++completions; });
        delete layer;
        QTRY_COMPARE(completions, 1);

        // Replaced by a newer change of the same property: the first completion still runs.
        Layer other;
        int first = 0;
        int second = 0;
        Motion::animate({{&other, "scale", 0.5}}, [&] { ++first; });
        Motion::animate({{&other, "scale", 0.7}}, [&] { ++second; });
        QTRY_COMPARE(first, 1);
        QTRY_COMPARE(second, 1);
        QCOMPARE(other.scale, 0.7);
    }
    void gnomeOutput_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("reduce"); // -1: unknown
        QTest::newRow("animations on") << QByteArray("true\n") << 0;
        QTest::newRow("animations off") << QByteArray("false\n") << 1;
        QTest::newRow("garbage") << QByteArray("No such key") << -1;
    }
    void gnomeOutput() {
        QFETCH(QByteArray, output);
        QFETCH(int, reduce);
        const auto result = ReduceMotion::reduceFromGnomeOutput(output);
        QCOMPARE(result.has_value() ? int(*result) : -1, reduce);
    }
    void kdeGlobals_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("reduce");
        QTest::newRow("off") << QByteArray("[General]\nfoo=1\n[KDE]\nAnimationDurationFactor=0\n")
                             << 1;
        QTest::newRow("slow") << QByteArray("[KDE]\nAnimationDurationFactor=0.5\n") << 0;
        QTest::newRow("immutable") << QByteArray("[KDE]\nAnimationDurationFactor[$i]=0\n") << 1;
        QTest::newRow("spaces") << QByteArray("[KDE]\n  AnimationDurationFactor = 0.0 \n") << 1;
        QTest::newRow("other group") << QByteArray("[KDE Misc]\nAnimationDurationFactor=0\n") << -1;
        QTest::newRow("not a number") << QByteArray("[KDE]\nAnimationDurationFactor=fast\n") << -1;
    }
    void kdeGlobals() {
        QFETCH(QByteArray, contents);
        QFETCH(int, reduce);
        const auto result = ReduceMotion::reduceFromKdeGlobals(contents);
        QCOMPARE(result.has_value() ? int(*result) : -1, reduce);
    }
    void kdeSettingIsReadFromTheConfigHome() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QList<std::pair<const char *, QByteArray>> saved;
        for (const char *name : {"XDG_CURRENT_DESKTOP", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            saved.append({name, qgetenv(name)});
        const auto restore = qScopeGuard([&] {
            for (const auto &[name, value] : saved)
                qputenv(name, value);
            ReduceMotion::invalidate();
        });
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home.path() + "/none"));
        qunsetenv("CHROMET_REDUCE_MOTION");

        for (const char *factor : {"0", "1"}) {
            QVERIFY(writeAll(home.filePath("kdeglobals"),
                             QByteArray("[KDE]\nAnimationDurationFactor=") + factor + '\n'));
            ReduceMotion::invalidate();
            QCOMPARE(ReduceMotion::isOn(), factor == QByteArray("0"));
        }
        // The override still wins.
        qputenv("CHROMET_REDUCE_MOTION", "1");
        QVERIFY(ReduceMotion::isOn());
    }
    void gnomeSettingIsReadAgainWhenDconfChanges() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        // A gsettings that answers from a file and counts its runs.
        QVERIFY(writeAll(home.filePath("bin/gsettings"),
                         "#!/bin/sh\necho run >> \"$(dirname \"$0\")/runs\"\n"
                         "cat \"$(dirname \"$0\")/value\"\n"));
        QVERIFY(QFile::setPermissions(home.filePath("bin/gsettings"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeAll(home.filePath("bin/value"), "true\n"));
        qputenv("PATH", QFile::encodeName(home.filePath("bin")) + ':' + qgetenv("PATH"));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
        QVERIFY(QDir().mkpath(home.filePath("config")));
        qunsetenv("CHROMET_REDUCE_MOTION");
        ReduceMotion::invalidate();
        const auto runs = [&] {
            return readAll(home.filePath("bin/runs")).count('\n');
        };

        ReduceMotion::warmUp();
        QCOMPARE(ReduceMotion::isOn(), false);
        QCOMPARE(runs(), 1);

        // dconf makes its folder on the first change, and replaces its database on each one.
        QVERIFY(writeAll(home.filePath("bin/value"), "false\n"));
        QVERIFY(writeAll(home.filePath("config/dconf/user"), "1"));
        QTRY_VERIFY(ReduceMotion::isOn());
        QVERIFY(writeAll(home.filePath("bin/value"), "true\n"));
        QVERIFY(writeAll(home.filePath("config/dconf/user.new"), "2"));
        QVERIFY(QFile::remove(home.filePath("config/dconf/user")));
        QVERIFY(QFile::rename(home.filePath("config/dconf/user.new"),
                              home.filePath("config/dconf/user")));
        QTRY_VERIFY(!ReduceMotion::isOn());
    }
};

QTEST_MAIN(tst_Motion)
#include "tst_Motion.moc"
