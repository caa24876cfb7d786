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

} // namespace

class tst_Motion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { setReduceMotion(false); }
    void cleanupTestCase() { qunsetenv("CHROMET_REDUCE_MOTION"); }

    // An under-damped spring overshoots once by exp(-pi zeta / sqrt(1 - zeta^2)) of the distance,
    // then rests; critically and over-damped ones rest without overshoot.
    void springsSettle() {
        for (const Motion::Spring spring :
             {Motion::popSpring, Motion::Spring{100, 20, 1}, Motion::Spring{100, 60, 1}}) {
            const double settled = spring.settlingDuration();
            QVERIFY(settled > 0.3 && settled < 10);
            double peak = 0;
            for (int ms = 0; ms <= 10000; ms += 2) {
                peak = std::max(peak, spring.valueAt(ms / 1000.0));
                if (ms / 1000.0 >= settled)
                    QVERIFY(std::abs(spring.valueAt(ms / 1000.0) - 1) <= 0.001);
            }
            const double zeta = spring.damping / (2 * std::sqrt(spring.stiffness * spring.mass));
            const double overshoot =
                zeta < 1 ? std::exp(-M_PI * zeta / std::sqrt(1 - zeta * zeta)) : 0;
            QVERIFY2(std::abs(peak - 1 - overshoot) < 1e-3, qPrintable(QString::number(peak)));
        }
    }
    void scaleAnimationReduced_data() {
        QTest::addColumn<int>("flag"); // -1: ask the desktop
        QTest::addColumn<bool>("environment");
        QTest::addColumn<bool>("reduced");
        QTest::newRow("flag off beats the desktop") << 0 << true << false;
        QTest::newRow("unset, desktop reduces") << -1 << true << true;
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

        // A pop-in replaces a running pop-out: it owns opacity and scale now.
        Motion::popOut(&layer, 0.92, 10);
        Motion::popIn(&layer, 0.82, 0);
        Motion::finish(&layer);
        QCOMPARE(layer.opacity, 1.0);
        QCOMPARE(layer.scale, 1.0);
        QTRY_VERIFY(layer.findChildren<QAbstractAnimation *>().isEmpty());
    }
    void popInDelayKeepsTheViewTransparent() {
        setReduceMotion(true);
        Layer layer;
        Motion::popIn(&layer, 0.9, 0.5);
        auto *group =
            layer.findChild<QSequentialAnimationGroup *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(group);
        // The clock is driven by hand: transparent throughout the delay, then fading in.
        group->pause();
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

        // Replaced by a newer change of the same property: the first completion still runs.
        Motion::animate({{&layer, "scale", 0.7}}, [&] { ++completions; });
        Motion::animate({{&layer, "scale", 0.9}}, [&] { completions += 10; });
        QTRY_COMPARE(completions, 12);
        QCOMPARE(layer.scale, 0.9);
        // And when the target goes.
        auto *gone = new Layer;
        Motion::animate({{gone, "scale", 0.5}}, [&] { ++completions; });
        delete gone;
        QTRY_COMPARE(completions, 13);
        QCoreApplication::processEvents(); // nothing further is queued
        QCOMPARE(completions, 13);
    }
    void desktopValues_data() {
        QTest::addColumn<bool>("gnome"); // gsettings output, else kdeglobals
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("reduce"); // -1: unknown
        QTest::newRow("gsettings garbage") << true << QByteArray("No such key") << -1;
        QTest::newRow("off") << false
                             << QByteArray("[General]\nfoo=1\n[KDE]\nAnimationDurationFactor=0\n")
                             << 1;
        QTest::newRow("slow") << false << QByteArray("[KDE]\nAnimationDurationFactor=0.5\n") << 0;
        QTest::newRow("immutable")
            << false << QByteArray("[KDE]\nAnimationDurationFactor[$i]=0\n") << 1;
        QTest::newRow("spaces") << false << QByteArray("[KDE]\n  AnimationDurationFactor = 0.0 \n")
                                << 1;
        QTest::newRow("other group")
            << false << QByteArray("[KDE Misc]\nAnimationDurationFactor=0\n") << -1;
        QTest::newRow("not a number")
            << false << QByteArray("[KDE]\nAnimationDurationFactor=fast\n") << -1;
    }
    void desktopValues() {
        QFETCH(bool, gnome);
        QFETCH(QByteArray, contents);
        QFETCH(int, reduce);
        const auto result = gnome ? ReduceMotion::reduceFromGnomeOutput(contents)
                                  : ReduceMotion::reduceFromKdeGlobals(contents);
        QCOMPARE(result.has_value() ? int(*result) : -1, reduce);
    }
    // KDE's setting is read from the config home; GNOME's is asked of gsettings again whenever
    // dconf changes its database.
    void desktopSettingIsReadAndFollowed() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QList<std::pair<const char *, QByteArray>> saved;
        for (const char *name :
             {"XDG_CURRENT_DESKTOP", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "PATH"})
            saved.append({name, qgetenv(name)});
        const auto restore = qScopeGuard([&] {
            for (const auto &[name, value] : saved)
                qputenv(name, value);
            ReduceMotion::invalidate();
        });
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home.path() + "/none"));
        qunsetenv("CHROMET_REDUCE_MOTION");
        for (const char *factor : {"0", "1"}) {
            QVERIFY(writeAll(home.filePath("config/kdeglobals"),
                             QByteArray("[KDE]\nAnimationDurationFactor=") + factor + '\n'));
            ReduceMotion::invalidate();
            QCOMPARE(ReduceMotion::isOn(), factor == QByteArray("0"));
        }

        // A gsettings that answers from a file and counts its runs.
        QVERIFY(writeAll(home.filePath("bin/gsettings"),
                         "#!/bin/sh\necho run >> \"$(dirname \"$0\")/runs\"\n"
                         "cat \"$(dirname \"$0\")/value\"\n"));
        QVERIFY(QFile::setPermissions(home.filePath("bin/gsettings"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeAll(home.filePath("bin/value"), "true\n"));
        qputenv("PATH", QFile::encodeName(home.filePath("bin")) + ':' + qgetenv("PATH"));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
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
