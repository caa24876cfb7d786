#include "OrinPaste/Accessibility.h"

#include "OrinPaste/PasteService.h"
#include "OrinPaste/SyntheticKeyboard.h"

bool Accessibility::isTrusted() {
    return PasteService::keyboard().isTrusted();
}

void Accessibility::requestTrust() {
    PasteService::keyboard().requestTrust();
}
