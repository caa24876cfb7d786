#include "Chromet/App/OneShotPick.h"

#include "Chromet/App/PickCoordinator.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Picking/Portal/PortalColorPicker.h"
#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "OrinPaste/ClipboardOwner.h"
#include "OrinPaste/PasteService.h"
#include "OrinPlatform/PlatformBackend.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

namespace {

const char keeperVariable[] = "CHROMET_CLIPBOARD_TEXT";
// How long this process waits for the keeper to take the clipboard over.
constexpr int handOverMs = 5000;

} // namespace

int runOneShotPick(bool print, std::optional<ColorFormat> format, QTextStream &out,
                   QTextStream &err) {
    // Where the desktop's picker stands in for the loupe, the desktop decides what may be read.
    std::unique_ptr<PortalColorPicker> portal = PortalColorPicker::createForPlatform();
    if (!portal) {
        const std::unique_ptr<PermissionChecker> permission = PermissionChecker::createDefault();
        std::optional<bool> granted;
        QEventLoop asking;
        permission->check([&granted, &asking](bool answer) {
            granted = answer;
            asking.quit();
        });
        if (!granted)
            asking.exec();
        if (!granted.value_or(false)) {
            err << "chromet: cannot read the screen: "
                << (permission->hasSettings()
                        ? QStringLiteral("turn on Screen Recording for Chromet in the settings")
                        : permission->deniedReason())
                << '\n';
            return 1;
        }
    }

    Preferences &prefs = Preferences::shared();
    LibraryStore store(LibraryStore::defaultPath());
    QString copied;
    PickCoordinator coordinator(store, prefs, [&copied](const QString &text) {
        PasteService::copy(text);
        copied = text;
    });
    std::optional<PickedColor> picked;
    QString failure;
    if (!portal) {
        LoupeController loupe(makeSystemCapturer(), makeSystemLoupeSupport());
        loupe.setLabelFormat([&prefs] { return prefs.defaultFormat(); });
        loupe.setLowercaseHex([&prefs] { return prefs.lowercaseHex(); });
        bool declined = false;
        loupe.setOnFailure([&](const CaptureResult &result) {
            failure = result.error;
            declined = result.declined;
        });

        QEventLoop loop;
        QObject::connect(&loupe, &LoupeController::closed, &loop, &QEventLoop::quit);
        loupe.start([&](const PickedColor &color) {
            picked = color;
            coordinator.handlePick(color);
        });
        if (loupe.isShowing())
            loop.exec();
        // The desktop's screenshot portal said no: its own picker needs no screenshot.
        if (declined && (portal = PortalColorPicker::create(QDBusConnection::sessionBus())))
            failure.clear();
    }
    if (portal) {
        QEventLoop loop;
        portal->pick([&](const std::optional<PickedColor> &color) {
            picked = color;
            loop.quit();
        });
        loop.exec();
        if (picked)
            coordinator.handlePick(*picked);
    }

    if (!picked) {
        err << "chromet: "
            << (failure.isEmpty() ? QStringLiteral("no color picked")
                                  : QStringLiteral("cannot read the screen: ") + failure)
            << '\n';
        return 1;
    }
    if (print) {
        out << ColorFormats::format(format.value_or(prefs.defaultFormat()), *picked, std::nullopt,
                                    prefs.lowercaseHex())
            << '\n';
        out.flush();
    }
    if (!copied.isEmpty())
        keepClipboardAfterExit(copied);
    return 0;
}

void keepClipboardAfterExit(const QString &text) {
    ClipboardOwner &clipboard = ClipboardOwner::shared();
    // In-process clipboards (offscreen) end with the process whatever is done.
    if (PlatformBackend::kind() == PlatformBackend::Kind::Null || !clipboard.ownsText())
        return;
    QProcess keeper;
    keeper.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(keeperVariable), text);
    keeper.setProcessEnvironment(environment);
    // Nothing of ours stays open in the keeper: a caller reading our output sees its end.
    keeper.setStandardInputFile(QProcess::nullDevice());
    keeper.setStandardOutputFile(QProcess::nullDevice());
    keeper.setStandardErrorFile(QProcess::nullDevice());
    if (!keeper.startDetached())
        return;
    // Ours until the keeper has taken it, so that it is never without an owner.
    QEventLoop loop;
    QObject::connect(&clipboard, &ClipboardOwner::changedElsewhere, &loop, [&loop, &clipboard] {
        if (!clipboard.ownsText())
            loop.quit();
    });
    QTimer::singleShot(handOverMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool isClipboardKeeper() {
    return qEnvironmentVariableIsSet(keeperVariable);
}

int runClipboardKeeper() {
    const QString text = qEnvironmentVariable(keeperVariable);
    qunsetenv(keeperVariable);
    ClipboardOwner &clipboard = ClipboardOwner::shared();
    if (!clipboard.setText(text) || !clipboard.ownsText())
        return 1;
    QObject::connect(&clipboard, &ClipboardOwner::changedElsewhere, qApp, [&clipboard] {
        if (!clipboard.ownsText())
            QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
