#include "OrinPanel/PanelFrameStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_PanelFrameStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void screenKey() {
        QCOMPARE(PanelFrameStore::screenKey(u"Main"_s, QSizeF(1920, 1080)), u"Main@1920x1080"_s);
        // Fractions are cut off.
        QCOMPARE(PanelFrameStore::screenKey(u"DP-1"_s, QSizeF(1512.9, 982.5)), u"DP-1@1512x982"_s);
    }
    void roundTripThroughFile() {
        const QRectF frame(100.5, -20, 416, 276);
        {
            QSettings settings(path(), QSettings::IniFormat);
            PanelFrameStore::save(frame, u"panel"_s, u"Main@1920x1080"_s, &settings);
            QCOMPARE(PanelFrameStore::load(u"panel"_s, u"Main@1920x1080"_s, &settings),
                     std::optional<QRectF>(frame));
        }
        // A fresh process reads the file's text back as strings; they still count as numbers.
        QSettings reread(path(), QSettings::IniFormat);
        QCOMPARE(PanelFrameStore::load(u"panel"_s, u"Main@1920x1080"_s, &reread),
                 std::optional<QRectF>(frame));
        // Another display or resolution has no frame.
        QCOMPARE(PanelFrameStore::load(u"panel"_s, u"Main@2560x1440"_s, &reread), std::nullopt);
        QCOMPARE(PanelFrameStore::load(u"panel"_s, u"Main@1920x1080"_s, nullptr), std::nullopt);
    }
    void invalidValues_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("three numbers") << QVariant(QVariantList{1, 2, 3});
        QTest::newRow("a word") << QVariant(QVariantList{1, 2, u"wide"_s, 4});
        QTest::newRow("not a number") << QVariant(QVariantList{1, 2, qQNaN(), 4});
        QTest::newRow("text nan") << QVariant(QStringList{"1", "2", "nan", "4"});
        QTest::newRow("a single number") << QVariant(12.0);
    }
    void invalidValues() {
        QFETCH(QVariant, stored);
        QSettings settings(path(), QSettings::IniFormat);
        settings.setValue(u"panel.Main@1920x1080"_s, stored);
        QCOMPARE(PanelFrameStore::load(u"panel"_s, u"Main@1920x1080"_s, &settings), std::nullopt);
    }
    void clamp_data() {
        QTest::addColumn<QRectF>("saved");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<QSizeF>("minimum");
        QTest::addColumn<QRectF>("expected");
        const QRectF visible(0, 25, 1920, 1055);
        QTest::newRow("inside stays") << QRectF(100, 200, 416, 276) << visible << QSizeF(416, 276)
                                      << QRectF(100, 200, 416, 276);
        QTest::newRow("larger shrinks to the visible frame")
            << QRectF(-50, 0, 3000, 2000) << visible << QSizeF(416, 276)
            << QRectF(0, 25, 1920, 1055);
        QTest::newRow("partly off right and bottom moves on")
            << QRectF(1800, 1000, 416, 276) << visible << QSizeF(416, 276)
            << QRectF(1504, 804, 416, 276);
        QTest::newRow("smaller than the minimum grows")
            << QRectF(10, 30, 100, 50) << visible << QSizeF(300, 200) << QRectF(10, 30, 300, 200);
        QTest::newRow("minimum larger than the display")
            << QRectF(10, 30, 100, 50) << QRectF(0, 0, 800, 600) << QSizeF(1000, 700)
            << QRectF(0, 0, 800, 600);
        QTest::newRow("second display to the left")
            << QRectF(-3000, 100, 500, 300) << QRectF(-2560, 0, 2560, 1400) << QSizeF(0, 0)
            << QRectF(-2560, 100, 500, 300);
    }
    void clamp() {
        QFETCH(QRectF, saved);
        QFETCH(QRectF, visible);
        QFETCH(QSizeF, minimum);
        QFETCH(QRectF, expected);
        QCOMPARE(PanelFrameStore::clamp(saved, visible, minimum), expected);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(u"settings.ini"_s); }
};

QTEST_GUILESS_MAIN(tst_PanelFrameStore)
#include "tst_PanelFrameStore.moc"
