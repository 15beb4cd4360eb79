#pragma once

#include <QObject>
#include <QQuickItem>
#include <QString>

// The object named `name` below `root`: the visual children of items first
// (a Repeater's delegates are only those), then the QObject children.
inline QObject *findNamed(QObject *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    if (auto *item = qobject_cast<QQuickItem *>(root)) {
        for (QQuickItem *child : item->childItems())
            if (QObject *found = findNamed(child, name))
                return found;
    }
    for (QObject *child : root->children())
        if (QObject *found = findNamed(child, name))
            return found;
    return nullptr;
}
