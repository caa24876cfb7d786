#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QStringList>
#include <QWidget>

// The texts of the labels `root` shows, top to bottom, left to right.
inline QStringList shownTexts(const QWidget *root) {
    // Lay out what changed since the last turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QList<QLabel *> labels;
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->isVisibleTo(root) && !label->text().isEmpty())
            labels.append(label);
    }
    std::sort(labels.begin(), labels.end(), [root](QLabel *a, QLabel *b) {
        const QPoint pa = a->mapTo(root, QPoint(0, 0));
        const QPoint pb = b->mapTo(root, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    QStringList texts;
    for (QLabel *label : labels)
        texts.append(label->text());
    return texts;
}

// The symbols drawn by the labels `root` shows, top to bottom.
inline QStringList shownSymbols(const QWidget *root) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QList<QLabel *> labels;
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->isVisibleTo(root) && label->property("symbolName").isValid())
            labels.append(label);
    }
    std::sort(labels.begin(), labels.end(), [root](QLabel *a, QLabel *b) {
        return a->mapTo(root, QPoint(0, 0)).y() < b->mapTo(root, QPoint(0, 0)).y();
    });
    QStringList names;
    for (QLabel *label : labels)
        names.append(label->property("symbolName").toString());
    return names;
}
