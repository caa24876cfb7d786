#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// An alert as the user sees it: the message text (the headline), the informative text below it,
// and the buttons in order. The first button is the default; Escape and closing the window
// choose the last one.
struct AlertSpec {
    QString messageText;
    QString informativeText;
    // Empty: one button, the desktop's own "OK".
    QStringList buttons;
    // The button that destroys something (drawn as such), or -1.
    int destructiveButton = -1;

    friend bool operator==(const AlertSpec &, const AlertSpec &) = default;
};

// A one-line name entry: headline, optional explanation, a field filled with `defaultName` that has
// the keyboard focus, then `confirmTitle` (the default) and "Cancel".
struct NamePromptSpec {
    QString title;
    QString message; // empty: none
    QString defaultName;
    QString confirmTitle;

    friend bool operator==(const NamePromptSpec &, const NamePromptSpec &) = default;
};

// The desktop's save dialog, with a suggested file name and creating folders allowed.
struct SaveFileSpec {
    QString suggestedName;
    QString directory; // empty: the desktop's choice

    friend bool operator==(const SaveFileSpec &, const SaveFileSpec &) = default;
};

// Every alert, name dialog and save dialog of the application goes through one of these, so tests
// can answer them. Each call is modal: it returns once the user has answered. Main thread only.
class ModalPresenter {
public:
    virtual ~ModalPresenter() = default;

    // The index of the chosen button in AlertSpec::buttons (0 for the lone "OK").
    virtual int runAlert(const AlertSpec &alert) = 0;
    // The field's text as typed when the confirm button was chosen; nothing for "Cancel".
    virtual std::optional<QString> promptForName(const NamePromptSpec &prompt) = 0;
    // The chosen file's path; nothing when cancelled.
    virtual std::optional<QString> chooseSaveFile(const SaveFileSpec &save) = 0;
};
