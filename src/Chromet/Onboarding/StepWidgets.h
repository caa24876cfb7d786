#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

// The pieces the onboarding pages are made of. Text sizes are in pixels so the pages keep their
// proportions inside the fixed-size window whatever the desktop's font size.
namespace StepWidgets {

enum class TextStyle {
    largeTitle, // 26, bold
    title,      // 22, bold
    title3,     // 15
    body,       // 13
    caption,    // 10
};

QFont font(const QWidget *reference, TextStyle style);

// The accent colour, the secondary text colour, and the green of a granted permission.
QColor accentColor(const QWidget *reference);
QColor secondaryColor(const QWidget *reference);
QColor grantedColor();

// A centred text on one line, or with a maximum width, wrapped at that width.
QLabel *text(const QString &text, TextStyle style, QWidget *parent, bool secondary = false,
             int maximumWidth = 0);
// Adds `widget` to the column centred: at its natural width, or, when it has a maximum width,
// as wide as that allows (so wrapped text gets the height of all its lines).
void addCentered(QBoxLayout *column, QWidget *widget);
// A named symbol drawn `size` pixels square in `tint`.
QLabel *symbol(const QString &name, int size, const QColor &tint, QWidget *parent);
// Redraws a label made by symbol() with another symbol or tint.
void setSymbol(QLabel *label, const QString &name, int size, const QColor &tint);

} // namespace StepWidgets
