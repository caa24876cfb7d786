#include "OrinPaste/PasteService.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinPaste/ClipboardOwner.h"
#include "OrinPaste/SyntheticKeyboard.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// The V key of a US keyboard, for a layout that has no key typing "v".
constexpr quint32 ansiV = 9;

// The clipboard has no change count of its own: changes by others are counted as they are
// reported, our own writes by copy().
qint64 &changes() {
    static qint64 count = [] {
        QObject::connect(&ClipboardOwner::shared(), &ClipboardOwner::changedElsewhere,
                         [] { ++changes(); });
        return 0;
    }();
    return count;
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
    qint64 &count = changes();
    if (ClipboardOwner::shared().setText(text))
        ++count;
    return count;
}

qint64 PasteService::changeCount() {
    return changes();
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
