#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QList>
#include <QToolButton>

#include <functional>

class QMenu;

// One role's color in the contrast checker: the role's name above a swatch and the hex code, as
// a button whose menu offers the recent colors. The menu is filled each time it opens: the
// history's colors by hex code, with the role's current color first when the history lacks it.
class ContrastColorChooser : public QToolButton {
    Q_OBJECT

public:
    static constexpr QSize swatchSize{24, 24};
    static constexpr qreal swatchRadius = 6;

    // `role`: "Text" or "Background".
    ContrastColorChooser(const QString &role, bool lowercaseHex, QWidget *parent = nullptr);

    QString role() const { return m_role; }
    QString hexText() const;

    // What the button shows and what its menu lists.
    void setColors(const PickedColor &current, const QList<PickedColor> &history);
    PickedColor current() const { return m_current; }
    // Called with the color the user chose from the menu.
    void setOnChoose(std::function<void(const PickedColor &)> choose) {
        m_choose = std::move(choose);
    }

    // The entries the menu shows now, in order.
    QList<PickedColor> menuColors() const;
    // Empties the menu and fills it from the current colors.
    void rebuildMenu();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_role;
    bool m_lowercaseHex = false;
    PickedColor m_current;
    QList<PickedColor> m_history;
    std::function<void(const PickedColor &)> m_choose;
    QMenu *m_menu = nullptr;
};
