// The tray menu's commands as the user reaches them: items of the real menu, built by the
// delegate from a real library file in a temporary folder, with the dialogs answered by a script.

#include "DelegateTestSupport.h"

#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/LibraryCommands.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Library/PaletteExport.h"
#include "OrinHotkey/HotKey.h"
#include "OrinMenuBar/StatusItemController.h"
#include "OrinSettings/DockIcon.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const PickedColor navy{{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}};
const PickedColor coral{{1.0, 0.5, 0.3}, {1.0, 0.5, 0.3}};

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_MenuCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void copyPutsTheCodeOnTheClipboardWithFeedback_data();
    void copyPutsTheCodeOnTheClipboardWithFeedback();
    void openingTheMenuEndsTheFeedback();
    void pinGivesFeedbackOnlyWhenAdded();
    void newPaletteAsksForAName_data();
    void newPaletteAsksForAName();
    void renamesAskWithTheCurrentName_data();
    void renamesAskWithTheCurrentName();
    void deletePaletteAsksOnlyWhenItHoldsColors_data();
    void deletePaletteAsksOnlyWhenItHoldsColors();
    void deletingTheLastPaletteLeavesFavorites();
    void removalsNeedNoConfirmation();
    void exportCopyPutsTheExportOnTheClipboard();
    void exportSaveWritesTheFile_data();
    void exportSaveWritesTheFile();
    void exportSaveReportsAFailedWrite();
    void exportSaveCancelledIsSilent();
    void defaultFormatIsRemembered();
    void menuAfterAChangeShowsIt();

private:
    AppDelegate &launch();
    // The library's palette named `name` (its current value).
    Palette palette(const QString &name) const;
    // Opens the tray menu (a rebuild) and follows the titles through its submenus.
    QAction *item(const QStringList &path);
    void trigger(const QStringList &path);
    // What the library file holds now.
    Library savedLibrary() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    ShortcutDesk m_desk;
    ScriptedPresenter *m_presenter = nullptr;
    QStringList m_copied;
    std::unique_ptr<AppDelegate> m_delegate;
};

void tst_MenuCommands::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prefs = std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("Chromet.conf")));
    m_prefs->setHasCompletedOnboarding(true);
    m_desk = ShortcutDesk{};
    HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(m_desk));
    DockIcon::setTaskbarPresence(nullptr);
    m_copied.clear();
}

void tst_MenuCommands::cleanup() {
    m_delegate.reset();
    HotKey::setBackend(nullptr);
    m_prefs.reset();
    m_dir.reset();
}

AppDelegate &tst_MenuCommands::launch() {
    AppDelegate::Services services;
    services.updater = std::make_unique<FakeUpdater>();
    services.prefs = m_prefs.get();
    auto permission = std::make_unique<FakePermission>();
    permission->granted = true;
    services.permission = std::move(permission);
    auto presenter = std::make_unique<ScriptedPresenter>();
    m_presenter = presenter.get();
    services.presenter = std::move(presenter);
    services.focus = std::make_unique<FakeFocus>();
    services.makeCapturer = [] {
        return std::make_unique<SyntheticSnapshotCapturer>();
    };
    services.libraryPath = m_dir->filePath(QStringLiteral("library.json"));
    services.copyText = [this](const QString &text) {
        m_copied.append(text);
    };
    m_delegate = std::make_unique<AppDelegate>(std::move(services));
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

Palette tst_MenuCommands::palette(const QString &name) const {
    for (const Palette &p : m_delegate->store()->library().palettes) {
        if (p.name == name)
            return p;
    }
    return {};
}

QAction *tst_MenuCommands::item(const QStringList &path) {
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

void tst_MenuCommands::trigger(const QStringList &path) {
    QAction *action = item(path);
    QVERIFY2(action, qPrintable(path.join(QStringLiteral(" › "))));
    QVERIFY2(action->isEnabled(), qPrintable(path.join(QStringLiteral(" › "))));
    action->trigger();
}

Library tst_MenuCommands::savedLibrary() const {
    return LibraryStore::decode(readFile(m_delegate->store()->path())).value_or(Library{});
}

void tst_MenuCommands::copyPutsTheCodeOnTheClipboardWithFeedback_data() {
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("copied");
    QTest::newRow("history, default format")
        << QStringList{"#336699", "Copy #336699"} << QStringLiteral("#336699");
    const QString rgb = ColorFormats::format(ColorFormat::rgb, navy, std::nullopt, false);
    QCOMPARE(rgb, QStringLiteral("rgb(51 102 153)"));
    QTest::newRow("history, RGB") << QStringList{"#336699", rgb} << rgb;
    const QString name =
        ColorFormats::format(ColorFormat::cssVariable, navy, QStringLiteral("Brand Blue"), false);
    QTest::newRow("palette color, by its name")
        << QStringList{"Favorites", "Brand Blue", name} << name;
}

void tst_MenuCommands::copyPutsTheCodeOnTheClipboardWithFeedback() {
    QFETCH(QStringList, path);
    QFETCH(QString, copied);
    AppDelegate &delegate = launch();
    LibraryStore &store = *delegate.store();
    Palette &favorites = store.library().palettes.first();
    store.library().renameColor(favorites.colors.first().id, favorites.id,
                                QStringLiteral("Brand Blue"));
    store.commit();

    trigger(path);
    QCOMPARE(m_copied, QStringList{copied});
    QVERIFY(delegate.copyFeedback()->isShowing());
}

void tst_MenuCommands::openingTheMenuEndsTheFeedback() {
    AppDelegate &delegate = launch();
    trigger({QStringLiteral("#336699"), QStringLiteral("Copy #336699")});
    QVERIFY(delegate.copyFeedback()->isShowing());
    delegate.copyFeedback()->advance();
    QVERIFY(!delegate.statusItem()->isShowingNormalIcon());
    delegate.statusItem()->menuNeedsUpdate();
    QVERIFY(!delegate.copyFeedback()->isShowing());
    QVERIFY(delegate.statusItem()->isShowingNormalIcon());
    QVERIFY(!delegate.copyFeedback()->isTimerActive());
}

void tst_MenuCommands::pinGivesFeedbackOnlyWhenAdded() {
    AppDelegate &delegate = launch();
    const QUuid favorites = palette(QStringLiteral("Favorites")).id;
    trigger({QStringLiteral("#FF804D"), QStringLiteral("Pin to"), QStringLiteral("Favorites")});
    QCOMPARE(savedLibrary().palette(favorites)->colors.size(), 2);
    QCOMPARE(savedLibrary().palette(favorites)->colors.last().color, coral);
    QVERIFY(delegate.copyFeedback()->isShowing());

    // The menu disables the item for a color that is there; the command itself adds nothing.
    delegate.copyFeedback()->reset();
    delegate.commands()->pin(coral, favorites);
    QCOMPARE(savedLibrary().palette(favorites)->colors.size(), 2);
    QVERIFY(!delegate.copyFeedback()->isShowing());
}

void tst_MenuCommands::newPaletteAsksForAName_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("created");
    QTest::newRow("a name") << std::optional<QString>(QStringLiteral("Brand"))
                            << QStringLiteral("Brand");
    QTest::newRow("a name in white space")
        << std::optional<QString>(QStringLiteral("  Brand Kit\n")) << QStringLiteral("Brand Kit");
    QTest::newRow("spaces only") << std::optional<QString>(QStringLiteral("   ")) << QString();
    QTest::newRow("cancelled") << std::optional<QString>() << QString();
}

void tst_MenuCommands::newPaletteAsksForAName() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, created);
    AppDelegate &delegate = launch();
    const QByteArray before = readFile(delegate.store()->path());
    m_presenter->nameAnswers = {answer};

    trigger({QStringLiteral("#FF804D"), QStringLiteral("Pin to"), QStringLiteral("New Palette…")});

    const NamePromptSpec expected{QStringLiteral("New Palette"),
                                  QStringLiteral("Name the palette."), QStringLiteral("Palette 2"),
                                  QStringLiteral("Create")};
    QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
    if (created.isEmpty()) {
        QCOMPARE(readFile(delegate.store()->path()), before);
        QCOMPARE(delegate.store()->library().palettes.size(), 1);
        QVERIFY(!delegate.copyFeedback()->isShowing());
        return;
    }
    const Library saved = savedLibrary();
    QCOMPARE(saved.palettes.size(), 2);
    QCOMPARE(saved.palettes.last().name, created);
    QCOMPARE(saved.palettes.last().colors.size(), 1);
    QCOMPARE(saved.palettes.last().colors.first().color, coral);
    QVERIFY(delegate.copyFeedback()->isShowing());
    // The next proposal counts the new palette.
    m_presenter->nameAnswers = {std::nullopt};
    trigger({QStringLiteral("#FF804D"), QStringLiteral("Pin to"), QStringLiteral("New Palette…")});
    QCOMPARE(m_presenter->prompts.last().defaultName, QStringLiteral("Palette 3"));
}

void tst_MenuCommands::renamesAskWithTheCurrentName_data() {
    QTest::addColumn<bool>("palette");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<bool>("renamed");
    QTest::newRow("color") << false << std::optional<QString>(QStringLiteral(" Ocean ")) << true;
    QTest::newRow("color, blank") << false << std::optional<QString>(QStringLiteral(" \t"))
                                  << false;
    QTest::newRow("palette") << true << std::optional<QString>(QStringLiteral("Ocean")) << true;
    QTest::newRow("palette, cancelled") << true << std::optional<QString>() << false;
}

void tst_MenuCommands::renamesAskWithTheCurrentName() {
    QFETCH(bool, palette);
    QFETCH(std::optional<QString>, answer);
    QFETCH(bool, renamed);
    AppDelegate &delegate = launch();
    const Palette favorites = this->palette(QStringLiteral("Favorites"));
    const QString colorName = favorites.colors.first().name;
    const QByteArray before = readFile(delegate.store()->path());
    m_presenter->nameAnswers = {answer};

    if (palette) {
        trigger({QStringLiteral("Favorites"), QStringLiteral("Rename Palette…")});
        const NamePromptSpec expected{QStringLiteral("Rename Palette"), QString(),
                                      QStringLiteral("Favorites"), QStringLiteral("Rename")};
        QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
    } else {
        trigger({QStringLiteral("Favorites"), colorName, QStringLiteral("Rename…")});
        const NamePromptSpec expected{QStringLiteral("Rename Color"),
                                      QStringLiteral("Exports use this name."), colorName,
                                      QStringLiteral("Rename")};
        QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{expected});
    }
    if (!renamed) {
        QCOMPARE(readFile(delegate.store()->path()), before);
        return;
    }
    const Library library = savedLibrary();
    const Palette *saved = library.palette(favorites.id);
    QVERIFY(saved);
    QCOMPARE(palette ? saved->name : saved->colors.first().name, QStringLiteral("Ocean"));
}

void tst_MenuCommands::deletePaletteAsksOnlyWhenItHoldsColors_data() {
    QTest::addColumn<int>("colors");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("informative");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("empty") << 0 << -1 << QString() << true;
    QTest::newRow("one color, Delete")
        << 1 << 0 << QStringLiteral("Its color is removed too. History isn't affected.") << true;
    QTest::newRow("two colors, Delete")
        << 2 << 0 << QStringLiteral("Its 2 colors are removed too. History isn't affected.")
        << true;
    QTest::newRow("two colors, Cancel")
        << 2 << 1 << QStringLiteral("Its 2 colors are removed too. History isn't affected.")
        << false;
}

void tst_MenuCommands::deletePaletteAsksOnlyWhenItHoldsColors() {
    QFETCH(int, colors);
    QFETCH(int, answer);
    QFETCH(QString, informative);
    QFETCH(bool, deleted);
    AppDelegate &delegate = launch();
    LibraryStore &store = *delegate.store();
    const QUuid id = store.library().addPalette(QStringLiteral("Brand “Kit”")).id;
    for (const PickedColor &color : QList<PickedColor>{navy, coral}.mid(0, colors))
        store.library().pin(color, id);
    store.commit();
    if (answer >= 0)
        m_presenter->alertAnswers = {answer};

    trigger({QStringLiteral("Brand “Kit”"), QStringLiteral("Delete Palette")});

    if (informative.isEmpty()) {
        QVERIFY(m_presenter->alerts.isEmpty());
    } else {
        AlertSpec expected;
        expected.messageText = QStringLiteral("Delete \u201CBrand “Kit”\u201D?");
        expected.informativeText = informative;
        expected.buttons = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
        expected.destructiveButton = 0;
        QCOMPARE(m_presenter->alerts, QList<AlertSpec>{expected});
    }
    const Library saved = savedLibrary();
    QCOMPARE(saved.palette(id) == nullptr, deleted);
    QCOMPARE(saved.palettes.size(), deleted ? 1 : 2);
    // The history is not affected.
    QCOMPARE(saved.history, (QList<PickedColor>{coral, navy}));
}

void tst_MenuCommands::deletingTheLastPaletteLeavesFavorites() {
    AppDelegate &delegate = launch();
    const Palette favorites = palette(QStringLiteral("Favorites"));
    m_presenter->alertAnswers = {0};
    trigger({QStringLiteral("Favorites"), QStringLiteral("Delete Palette")});
    QCOMPARE(m_presenter->alerts.size(), 1);
    const Library saved = savedLibrary();
    QCOMPARE(saved.palettes.size(), 1);
    QCOMPARE(saved.palettes.first().name, QStringLiteral("Favorites"));
    QVERIFY(saved.palettes.first().id != favorites.id);
    QVERIFY(saved.palettes.first().colors.isEmpty());
    QVERIFY(item({QStringLiteral("Favorites"), QStringLiteral("No colors yet")}));
    QVERIFY(!delegate.copyFeedback()->isShowing());
}

void tst_MenuCommands::removalsNeedNoConfirmation() {
    launch();
    const Palette favorites = palette(QStringLiteral("Favorites"));
    trigger({QStringLiteral("Favorites"), favorites.colors.first().name, QStringLiteral("Remove")});
    QVERIFY(savedLibrary().palette(favorites.id)->colors.isEmpty());
    // Only the palette's copy went; the history keeps the color.
    QCOMPARE(savedLibrary().history, (QList<PickedColor>{coral, navy}));

    trigger({QStringLiteral("#FF804D"), QStringLiteral("Delete")});
    QCOMPARE(savedLibrary().history, QList<PickedColor>{navy});

    trigger({QStringLiteral("Clear History")});
    QVERIFY(savedLibrary().history.isEmpty());
    QVERIFY(m_presenter->alerts.isEmpty());
    QVERIFY(m_presenter->prompts.isEmpty());
    QVERIFY(item({QStringLiteral("No colors yet")}));
    QVERIFY(!item({QStringLiteral("Clear History")})->isEnabled());
}

void tst_MenuCommands::exportCopyPutsTheExportOnTheClipboard() {
    AppDelegate &delegate = launch();
    const Palette favorites = palette(QStringLiteral("Favorites"));
    trigger({QStringLiteral("Favorites"), QStringLiteral("Export"), QStringLiteral("CSS Variables"),
             QStringLiteral("Copy")});
    const QString expected = PaletteExport::exportText(favorites, ExportFormat::css);
    QVERIFY(expected.startsWith(QStringLiteral(":root {\n")));
    QCOMPARE(m_copied, QStringList{expected});
    QVERIFY(delegate.copyFeedback()->isShowing());
    QVERIFY(m_presenter->saves.isEmpty());
}

void tst_MenuCommands::exportSaveWritesTheFile_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("formatIndex");
    QTest::addColumn<QString>("suggested");
    QTest::newRow("Swift") << QStringLiteral("Swift") << 0 << QStringLiteral("Brand-Kit.swift");
    QTest::newRow("Tailwind") << QStringLiteral("Tailwind") << 2
                              << QStringLiteral("brand-kit.tailwind.css");
}

void tst_MenuCommands::exportSaveWritesTheFile() {
    QFETCH(QString, format);
    QFETCH(int, formatIndex);
    QFETCH(QString, suggested);
    AppDelegate &delegate = launch();
    LibraryStore &store = *delegate.store();
    store.library().renamePalette(store.library().palettes.first().id, QStringLiteral("Brand Kit"));
    store.commit();
    const Palette palette = this->palette(QStringLiteral("Brand Kit"));

    // A file there already is replaced as a whole.
    const QString folder = m_dir->filePath(QStringLiteral("exports"));
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
        fileUntouchedDuringDialog = readFile(path).size() == 4096;
    };

    trigger(
        {QStringLiteral("Brand Kit"), QStringLiteral("Export"), format, QStringLiteral("Save…")});

    QCOMPARE(m_presenter->saves.size(), 1);
    QCOMPARE(m_presenter->saves.first().suggestedName, suggested);
    QVERIFY(!m_presenter->saves.first().directory.isEmpty());
    QVERIFY(fileUntouchedDuringDialog);
    const QString expected =
        PaletteExport::exportText(palette, PaletteExport::allCases().at(formatIndex));
    QCOMPARE(readFile(path), expected.toUtf8());
    // Nothing was left beside it.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{suggested});
    QVERIFY(m_presenter->alerts.isEmpty());
    QVERIFY(!delegate.copyFeedback()->isShowing());

    // The next save dialog opens in that folder.
    trigger(
        {QStringLiteral("Brand Kit"), QStringLiteral("Export"), format, QStringLiteral("Save…")});
    QCOMPARE(m_presenter->saves.last().directory, folder);
}

void tst_MenuCommands::exportSaveReportsAFailedWrite() {
    AppDelegate &delegate = launch();
    const QByteArray library = readFile(delegate.store()->path());
    // A folder where the file should go: no one can replace it with a file, root neither.
    const QString path = m_dir->filePath(QStringLiteral("favorites.css"));
    QVERIFY(QDir().mkpath(path));
    m_presenter->saveAnswers = {path};

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^Chromet: failed to save export to ")));
    trigger({QStringLiteral("Favorites"), QStringLiteral("Export"), QStringLiteral("CSS Variables"),
             QStringLiteral("Save…")});

    QCOMPARE(m_presenter->alerts.size(), 1);
    const AlertSpec &alert = m_presenter->alerts.first();
    QCOMPARE(alert.messageText,
             QStringLiteral("The file \u201Cfavorites.css\u201D couldn't be saved in the folder "
                            "\u201C") +
                 QDir(m_dir->path()).dirName() + QStringLiteral("\u201D."));
    // The system's reason, whatever its wording.
    QVERIFY(!alert.informativeText.isEmpty());
    QVERIFY(alert.buttons.isEmpty());
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(readFile(delegate.store()->path()), library);
    QVERIFY(!delegate.copyFeedback()->isShowing());
}

void tst_MenuCommands::exportSaveCancelledIsSilent() {
    AppDelegate &delegate = launch();
    const QByteArray library = readFile(delegate.store()->path());
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    m_presenter->saveAnswers = {std::nullopt};
    trigger({QStringLiteral("Favorites"), QStringLiteral("Export"), QStringLiteral("Swift"),
             QStringLiteral("Save…")});
    QCOMPARE(m_presenter->saves.size(), 1);
    QVERIFY(m_presenter->alerts.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(delegate.store()->path()), library);
    QVERIFY(m_copied.isEmpty());
}

void tst_MenuCommands::defaultFormatIsRemembered() {
    launch();
    trigger({QStringLiteral("Default Format"), QStringLiteral("OKLCH")});
    QCOMPARE(m_prefs->defaultFormat(), ColorFormat::oklch);
    QVERIFY(item({QStringLiteral("Default Format"), QStringLiteral("OKLCH")})->isChecked());
    const QString oklch = ColorFormats::labelText(ColorFormat::oklch, navy, false);
    QVERIFY(item({oklch}));
    QVERIFY(!item({QStringLiteral("#336699")}));
}

void tst_MenuCommands::menuAfterAChangeShowsIt() {
    AppDelegate &delegate = launch();
    m_presenter->nameAnswers = {QStringLiteral("Ocean")};
    trigger({QStringLiteral("Favorites"), QStringLiteral("Rename Palette…")});
    QVERIFY(item({QStringLiteral("Ocean")}));
    QVERIFY(!item({QStringLiteral("Favorites")}));

    // A pick made meanwhile shows at the next opening, first.
    const PickedColor lime{{0.5, 0.9, 0.1}, {0.5, 0.9, 0.1}};
    delegate.coordinator()->handlePick(lime);
    StatusItemController *statusItem = delegate.statusItem();
    statusItem->menuNeedsUpdate();
    const QList<QAction *> actions = statusItem->menu()->actions();
    const qsizetype recent =
        std::find_if(actions.cbegin(), actions.cend(),
                     [](const QAction *a) { return a->text() == QStringLiteral("Recent"); }) -
        actions.cbegin();
    QVERIFY(recent + 1 < actions.size());
    QCOMPARE(actions.at(recent + 1)->text(), QStringLiteral("#80E61A"));

    // When saving fails (a folder stands where the file goes), the menu says so.
    QVERIFY(!item({QStringLiteral("History isn't being saved")}));
    QVERIFY(QFile::remove(delegate.store()->path()));
    QVERIFY(QDir().mkpath(delegate.store()->path()));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^Chromet: failed to save library")));
    delegate.coordinator()->handlePick(navy);
    QAction *notSaving = item({QStringLiteral("History isn't being saved")});
    QVERIFY(notSaving);
    QVERIFY(!notSaving->isEnabled());
}

QTEST_MAIN(tst_MenuCommands)
#include "tst_MenuCommands.moc"
