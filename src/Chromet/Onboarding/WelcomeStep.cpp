#include "Chromet/Onboarding/WelcomeStep.h"

#include "Chromet/Onboarding/StepWidgets.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace StepWidgets;

WelcomeStep::WelcomeStep(QWidget *parent)
    : QWidget(parent) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addStretch(1);
    addCentered(column, symbol(QStringLiteral("eyedropper.halffull"), 48, accentColor(this), this));
    addCentered(column, text(QStringLiteral("Welcome to Chromet"), TextStyle::largeTitle, this));
    addCentered(column, text(QStringLiteral("Pick any color on your screen and copy it as code."),
                             TextStyle::title3, this, true));
    addCentered(column,
                text(QStringLiteral("HEX, RGB, HSL, OKLCH, SwiftUI, NSColor, UIColor, CSS and "
                                    "Tailwind. Recent colors and palettes live in the tray "
                                    "menu."),
                     TextStyle::body, this, true, 400));
    column->addStretch(1);
}
