#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QRegularExpression>
#include <QString>

// Windows keep their controls to themselves; a test finds one by the objectName the window
// gives it. A name that finds no control of the type, or several, ends the run there and says
// which: a test must never act on the wrong control, nor on none.
template <class T> T* control(const QObject* parent, const QString& name) {
    const QList<T*> found = parent->findChildren<T*>(name);
    if (found.size() != 1)
        qFatal("%d controls %s \"%s\" in %s, expected one", int(found.size()),
               T::staticMetaObject.className(), qPrintable(name), qPrintable(parent->objectName()));
    return found.front();
}

// A control array: "name_0", "name_1", ... in the order of their index, each index once and
// none missing from 0 up.
template <class T> QList<T*> controlArray(const QObject* parent, const QString& name) {
    const QRegularExpression pattern(u'^' + QRegularExpression::escape(name) + QStringLiteral("_(\\d+)$"));
    const QList<T*> found = parent->findChildren<T*>(pattern);
    QMap<int, T*> byIndex;
    for (T* c : found)
        byIndex.insert(pattern.match(c->objectName()).captured(1).toInt(), c);
    if (byIndex.isEmpty() || byIndex.size() != found.size() || byIndex.lastKey() != byIndex.size() - 1)
        qFatal("the control array %s \"%s\" in %s has %d controls, indices up to %d",
               T::staticMetaObject.className(), qPrintable(name), qPrintable(parent->objectName()),
               int(found.size()), byIndex.isEmpty() ? -1 : byIndex.lastKey());
    return byIndex.values();
}
