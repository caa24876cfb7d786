#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QStringList>
#include <QWidget>

// What the labels `root` shows that `value` gives text for, top to bottom, left to right.
template <typename Value> QStringList shownLabels(const QWidget *root, Value value) {
    // Lay out what changed since the last turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QList<QLabel *> labels;
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->isVisibleTo(root) && !value(label).isEmpty())
            labels.append(label);
    }
    std::sort(labels.begin(), labels.end(), [root](QLabel *a, QLabel *b) {
        const QPoint pa = a->mapTo(root, QPoint(0, 0));
        const QPoint pb = b->mapTo(root, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    QStringList texts;
    for (QLabel *label : labels)
        texts.append(value(label));
    return texts;
}

inline QStringList shownTexts(const QWidget *root) {
    return shownLabels(root, [](const QLabel *label) { return label->text(); });
}

// The symbols drawn by the labels `root` shows.
inline QStringList shownSymbols(const QWidget *root) {
    return shownLabels(
        root, [](const QLabel *label) { return label->property("symbolName").toString(); });
}
