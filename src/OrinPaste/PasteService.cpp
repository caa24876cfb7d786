#include "OrinPaste/PasteService.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinPaste/SyntheticKeyboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

namespace {

// The V key of a US keyboard, for a layout that has no key typing "v".
constexpr quint32 ansiV = 9;

// Qt's clipboard has no change count; count its change signals instead. Our own write is
// counted once by copy() itself, whatever the platform signals while it happens.
struct ChangeCounter {
    qint64 count = 0;
    bool writing = false;
    bool connected = false;

    void connect() {
        if (connected)
            return;
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return;
        connected = true;
        QObject::connect(clipboard, &QClipboard::changed, clipboard, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && !writing)
                ++count;
        });
    }
};

ChangeCounter &counter() {
    static ChangeCounter instance;
    return instance;
}

std::unique_ptr<SyntheticKeyboard> &keyboardSlot() {
    static std::unique_ptr<SyntheticKeyboard> instance;
    return instance;
}

void postPasteKeystroke() {
    const quint32 keyCode =
        KeyboardLayout::keyCodeForCharacter(QStringLiteral("v")).value_or(ansiV);
    PasteService::keyboard().postKeystroke(keyCode, HotKeyCombo::controlKey);
}

} // namespace

qint64 PasteService::copy(const QString &text) {
    ChangeCounter &changes = counter();
    changes.connect();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        qCWarning(lcOrinPaste) << "no clipboard: the text was not copied";
        return changes.count;
    }
    changes.writing = true;
    // setText replaces every format on the clipboard, which clears it first.
    clipboard->setText(text, QClipboard::Clipboard);
    changes.writing = false;
    return ++changes.count;
}

qint64 PasteService::changeCount() {
    counter().connect();
    return counter().count;
}

bool PasteService::paste(std::optional<WId> target) {
    SyntheticKeyboard &keys = keyboard();
    if (!keys.isTrusted())
        return false;
    if (target && keys.frontmost() != target)
        keys.activate(*target);
    QTimer::singleShot(keystrokeDelayMs, QCoreApplication::instance(), postPasteKeystroke);
    return true;
}

SyntheticKeyboard &PasteService::keyboard() {
    auto &slot = keyboardSlot();
    if (!slot)
        slot = SyntheticKeyboard::createDefault();
    return *slot;
}

void PasteService::setKeyboard(std::unique_ptr<SyntheticKeyboard> keyboard) {
    keyboardSlot() = std::move(keyboard);
}
