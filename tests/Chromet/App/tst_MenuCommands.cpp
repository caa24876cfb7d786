// The tray menu's commands as the user reaches them: items of the real menu, built by the
// delegate from a real library file in a temporary folder, with the dialogs answered by a script.

#include "Support/DelegateFixture.h"
#include "Support/TestFiles.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/LibraryCommands.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Library/PaletteExport.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const PickedColor navy{{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}};
const PickedColor coral{{1.0, 0.5, 0.3}, {1.0, 0.5, 0.3}};

} // namespace

class tst_MenuCommands : public DelegateFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpDelegate(); }
    void cleanup() { tearDownDelegate(); }

    // A palette color copies under its name; the other items are checked with the menu.
    void copyPutsTheCodeOnTheClipboardWithFeedback() {
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        Palette &favorites = store.library().palettes.first();
        store.library().renameColor(favorites.colors.first().id, favorites.id, u"Brand Blue"_s);
        store.commit();

        trigger({u"Favorites"_s, u"Brand Blue"_s, u"--Brand Blue: #336699;"_s});
        QCOMPARE(m_copied, QStringList{u"--Brand Blue: #336699;"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
    }
    void openingTheMenuEndsTheFeedback() {
        AppDelegate &delegate = launch();
        trigger({u"#336699"_s, u"Copy #336699"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        delegate.copyFeedback()->advance();
        QVERIFY(!delegate.statusItem()->isShowingNormalIcon());
        delegate.statusItem()->menuNeedsUpdate();
        QVERIFY(!delegate.copyFeedback()->isShowing());
        QVERIFY(delegate.statusItem()->isShowingNormalIcon());
        QVERIFY(!delegate.copyFeedback()->isTimerActive());
    }
    void pinGivesFeedbackOnlyWhenAdded() {
        AppDelegate &delegate = launch();
        const QUuid favorites = palette(u"Favorites"_s).id;
        trigger({u"#FF804D"_s, u"Pin to"_s, u"Favorites"_s});
        QCOMPARE(savedLibrary().palette(favorites)->colors.size(), 2);
        QCOMPARE(savedLibrary().palette(favorites)->colors.last().color, coral);
        QVERIFY(delegate.copyFeedback()->isShowing());

        // The menu disables the item for a color that is there; the command itself adds nothing.
        delegate.copyFeedback()->reset();
        delegate.commands()->pin(coral, favorites);
        QCOMPARE(savedLibrary().palette(favorites)->colors.size(), 2);
        QVERIFY(!delegate.copyFeedback()->isShowing());
    }
    void newPaletteAsksForAName_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("created");
        QTest::newRow("a name in white space")
            << std::optional<QString>(u"  Brand Kit\n"_s) << u"Brand Kit"_s;
        QTest::newRow("spaces only") << std::optional<QString>(u"   "_s) << QString();
        QTest::newRow("cancelled") << std::optional<QString>() << QString();
    }
    void newPaletteAsksForAName() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, created);
        AppDelegate &delegate = launch();
        const QByteArray before = readAll(delegate.store()->path());
        m_presenter->nameAnswers = {answer};

        trigger({u"#FF804D"_s, u"Pin to"_s, u"New Palette…"_s});

        const NamePromptSpec expected{u"New Palette"_s, u"Name the palette."_s, u"Palette 2"_s,
                                      u"Create"_s};
        QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
        if (created.isEmpty()) {
            QCOMPARE(readAll(delegate.store()->path()), before);
            return;
        }
        const Library saved = savedLibrary();
        QCOMPARE(saved.palettes.last().name, created);
        QCOMPARE(saved.palettes.last().colors.first().color, coral);
        QVERIFY(delegate.copyFeedback()->isShowing());
        // The next proposal counts the new palette.
        m_presenter->nameAnswers = {std::nullopt};
        trigger({u"#FF804D"_s, u"Pin to"_s, u"New Palette…"_s});
        QCOMPARE(m_presenter->prompts.last().defaultName, u"Palette 3"_s);
    }
    void renamesAskWithTheCurrentName_data() {
        QTest::addColumn<bool>("palette");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("color") << false << std::optional<QString>(u" Ocean "_s) << true;
        QTest::newRow("color, blank") << false << std::optional<QString>(u" \t"_s) << false;
        QTest::newRow("palette") << true << std::optional<QString>(u"Ocean"_s) << true;
        QTest::newRow("palette, cancelled") << true << std::optional<QString>() << false;
    }
    void renamesAskWithTheCurrentName() {
        QFETCH(bool, palette);
        QFETCH(std::optional<QString>, answer);
        QFETCH(bool, renamed);
        AppDelegate &delegate = launch();
        const Palette favorites = this->palette(u"Favorites"_s);
        const QString colorName = favorites.colors.first().name;
        const QByteArray before = readAll(delegate.store()->path());
        m_presenter->nameAnswers = {answer};

        if (palette) {
            trigger({u"Favorites"_s, u"Rename Palette…"_s});
            const NamePromptSpec expected{u"Rename Palette"_s, QString(), u"Favorites"_s,
                                          u"Rename"_s};
            QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
        } else {
            trigger({u"Favorites"_s, colorName, u"Rename…"_s});
            const NamePromptSpec expected{u"Rename Color"_s, u"Exports use this name."_s, colorName,
                                          u"Rename"_s};
            QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
        }
        if (!renamed) {
            QCOMPARE(readAll(delegate.store()->path()), before);
            return;
        }
        const Library library = savedLibrary();
        const Palette *saved = library.palette(favorites.id);
        QVERIFY(saved);
        QCOMPARE(palette ? saved->name : saved->colors.first().name, u"Ocean"_s);
    }
    void deletePaletteAsksOnlyWhenItHoldsColors_data() {
        QTest::addColumn<int>("colors");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("empty") << 0 << -1 << QString() << true;
        QTest::newRow("one color, Delete")
            << 1 << 0 << u"Its color is removed too. History isn't affected."_s << true;
        QTest::newRow("two colors, Delete")
            << 2 << 0 << u"Its 2 colors are removed too. History isn't affected."_s << true;
        QTest::newRow("two colors, Cancel")
            << 2 << 1 << u"Its 2 colors are removed too. History isn't affected."_s << false;
    }
    void deletePaletteAsksOnlyWhenItHoldsColors() {
        QFETCH(int, colors);
        QFETCH(int, answer);
        QFETCH(QString, informative);
        QFETCH(bool, deleted);
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        const QUuid id = store.library().addPalette(u"Brand “Kit”"_s).id;
        for (const PickedColor &color : QList<PickedColor>{navy, coral}.mid(0, colors))
            store.library().pin(color, id);
        store.commit();
        if (answer >= 0)
            m_presenter->alertAnswers = {answer};

        trigger({u"Brand “Kit”"_s, u"Delete Palette"_s});

        if (informative.isEmpty()) {
            QVERIFY(m_presenter->alerts.isEmpty());
        } else {
            AlertSpec expected;
            expected.messageText = u"Delete \u201CBrand “Kit”\u201D?"_s;
            expected.informativeText = informative;
            expected.buttons = {u"Delete"_s, u"Cancel"_s};
            expected.destructiveButton = 0;
            QCOMPARE(m_presenter->alerts, QList<AlertSpec>{expected});
        }
        const Library saved = savedLibrary();
        QCOMPARE(saved.palette(id) == nullptr, deleted);
        QCOMPARE(saved.palettes.size(), deleted ? 1 : 2);
        // The history is not affected.
        QCOMPARE(saved.history, (QList<PickedColor>{coral, navy}));
    }
    void removalsNeedNoConfirmation() {
        launch();
        const Palette favorites = palette(u"Favorites"_s);
        trigger({u"Favorites"_s, favorites.colors.first().name, u"Remove"_s});
        QVERIFY(savedLibrary().palette(favorites.id)->colors.isEmpty());
        // Only the palette's copy went; the history keeps the color.
        QCOMPARE(savedLibrary().history, (QList<PickedColor>{coral, navy}));

        trigger({u"#FF804D"_s, u"Delete"_s});
        QCOMPARE(savedLibrary().history, QList<PickedColor>{navy});

        trigger({u"Clear History"_s});
        QVERIFY(savedLibrary().history.isEmpty());
        QVERIFY(m_presenter->alerts.isEmpty());
    }
    void exportCopyPutsTheExportOnTheClipboard() {
        AppDelegate &delegate = launch();
        const Palette favorites = palette(u"Favorites"_s);
        trigger({u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Copy"_s});
        QCOMPARE(m_copied, QStringList{PaletteExport::exportText(favorites, ExportFormat::css)});
        QVERIFY(delegate.copyFeedback()->isShowing());
        QVERIFY(m_presenter->saves.isEmpty());
    }
    void exportSaveWritesTheFile_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("formatIndex");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("Swift") << u"Swift"_s << 0 << u"Brand-Kit.swift"_s;
        QTest::newRow("Tailwind") << u"Tailwind"_s << 2 << u"brand-kit.tailwind.css"_s;
    }
    void exportSaveWritesTheFile() {
        QFETCH(QString, format);
        QFETCH(int, formatIndex);
        QFETCH(QString, suggested);
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        store.library().renamePalette(store.library().palettes.first().id, u"Brand Kit"_s);
        store.commit();
        const Palette palette = this->palette(u"Brand Kit"_s);

        // A file there already is replaced as a whole.
        const QString folder = m_dir->filePath(u"exports"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QLatin1Char('/') + suggested;
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(4096, 'x'));
        }
        m_presenter->saveAnswers = {path};
        bool fileUntouchedDuringDialog = false;
        m_presenter->during = [&] {
            fileUntouchedDuringDialog = readAll(path).size() == 4096;
        };

        trigger({u"Brand Kit"_s, u"Export"_s, format, u"Save…"_s});

        QCOMPARE(m_presenter->saves.size(), 1);
        QCOMPARE(m_presenter->saves.first().suggestedName, suggested);
        QVERIFY(fileUntouchedDuringDialog);
        const QString expected =
            PaletteExport::exportText(palette, PaletteExport::allCases().at(formatIndex));
        QCOMPARE(readAll(path), expected.toUtf8());
        // Nothing was left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{suggested});
        QVERIFY(m_presenter->alerts.isEmpty());

        // The next save dialog opens in that folder.
        trigger({u"Brand Kit"_s, u"Export"_s, format, u"Save…"_s});
        QCOMPARE(m_presenter->saves.last().directory, folder);
    }
    void exportSaveReportsAFailedWrite() {
        AppDelegate &delegate = launch();
        const QByteArray library = readAll(delegate.store()->path());
        // A folder where the file should go: no one can replace it with a file, root neither.
        const QString path = m_dir->filePath(u"favorites.css"_s);
        QVERIFY(QDir().mkpath(path));
        m_presenter->saveAnswers = {path};

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Chromet: failed to save export to "_s));
        trigger({u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Save…"_s});

        QCOMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec &alert = m_presenter->alerts.first();
        QCOMPARE(
            alert.messageText,
            QStringLiteral("The file \u201Cfavorites.css\u201D couldn't be saved in the folder "
                           "\u201C") +
                QDir(m_dir->path()).dirName() + u"\u201D."_s);
        // The system's reason, whatever its wording.
        QVERIFY(!alert.informativeText.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readAll(delegate.store()->path()), library);
    }
    void exportSaveCancelledIsSilent() {
        AppDelegate &delegate = launch();
        const QByteArray library = readAll(delegate.store()->path());
        const QStringList before =
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        m_presenter->saveAnswers = {std::nullopt};
        trigger({u"Favorites"_s, u"Export"_s, u"Swift"_s, u"Save…"_s});
        QCOMPARE(m_presenter->saves.size(), 1);
        QVERIFY(m_presenter->alerts.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(readAll(delegate.store()->path()), library);
        QVERIFY(m_copied.isEmpty());
    }
    void defaultFormatIsRemembered() {
        launch();
        trigger({u"Default Format"_s, u"OKLCH"_s});
        QCOMPARE(m_prefs->defaultFormat(), ColorFormat::oklch);
        QVERIFY(item({u"Default Format"_s, u"OKLCH"_s})->isChecked());
        const QString oklch = ColorFormats::labelText(ColorFormat::oklch, navy, false);
        QVERIFY(item({oklch}));
        QVERIFY(!item({u"#336699"_s}));
    }
    void menuAfterAChangeShowsIt() {
        AppDelegate &delegate = launch();
        m_presenter->nameAnswers = {u"Ocean"_s};
        trigger({u"Favorites"_s, u"Rename Palette…"_s});
        QVERIFY(item({u"Ocean"_s}));
        QVERIFY(!item({u"Favorites"_s}));

        // A pick made meanwhile shows at the next opening, first.
        const PickedColor lime{{0.5, 0.9, 0.1}, {0.5, 0.9, 0.1}};
        delegate.coordinator()->handlePick(lime);
        StatusItemController *statusItem = delegate.statusItem();
        statusItem->menuNeedsUpdate();
        const QList<QAction *> actions = statusItem->menu()->actions();
        const qsizetype recent =
            std::find_if(actions.cbegin(), actions.cend(),
                         [](const QAction *a) { return a->text() == u"Recent"_s; }) -
            actions.cbegin();
        QVERIFY(recent + 1 < actions.size());
        QCOMPARE(actions.at(recent + 1)->text(), u"#80E61A"_s);

        // When saving fails (a folder stands where the file goes), the menu says so.
        QVERIFY(!item({u"History isn't being saved"_s}));
        QVERIFY(QFile::remove(delegate.store()->path()));
        QVERIFY(QDir().mkpath(delegate.store()->path()));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Chromet: failed to save library"_s));
        delegate.coordinator()->handlePick(navy);
        QAction *notSaving = item({u"History isn't being saved"_s});
        QVERIFY(notSaving);
        QVERIFY(!notSaving->isEnabled());
    }

private:
    AppDelegate &launch() {
        makeDelegate();
        m_delegate->applicationDidFinishLaunching();

        // Two picks, and Favorites holding the older one.
        LibraryStore &store = *m_delegate->store();
        store.library().record(navy);
        store.library().record(coral);
        store.library().pin(navy, store.library().palettes.first().id);
        store.commit();
        // A feedback is played only where a test expects one.
        m_delegate->copyFeedback()->setReduceMotion(true);
        return *m_delegate;
    }
    // The library's palette named `name` (its current value).
    Palette palette(const QString &name) const {
        for (const Palette &p : m_delegate->store()->library().palettes) {
            if (p.name == name)
                return p;
        }
        return {};
    }
    // Opens the tray menu (a rebuild) and follows the titles through its submenus.
    QAction *item(const QStringList &path) {
        StatusItemController *statusItem = m_delegate->statusItem();
        statusItem->menuNeedsUpdate();
        QMenu *menu = statusItem->menu();
        QAction *found = nullptr;
        for (const QString &title : path) {
            found = nullptr;
            if (!menu)
                return nullptr;
            const QList<QAction *> actions = menu->actions();
            for (QAction *action : actions) {
                if (action->text() == title) {
                    found = action;
                    break;
                }
            }
            if (!found)
                return nullptr;
            menu = found->menu();
        }
        return found;
    }
    void trigger(const QStringList &path) {
        QAction *action = item(path);
        QVERIFY2(action, qPrintable(path.join(u" › "_s)));
        QVERIFY2(action->isEnabled(), qPrintable(path.join(u" › "_s)));
        action->trigger();
    }
    // What the library file holds now.
    Library savedLibrary() const {
        return LibraryStore::decode(readAll(m_delegate->store()->path())).value_or(Library{});
    }
};

QTEST_MAIN(tst_MenuCommands)
#include "tst_MenuCommands.moc"
