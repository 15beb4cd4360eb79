#pragma once

#include "atomicfile.h"

#include <QJsonObject>
#include <QJsonParseError>
#include <QString>

// Reading and writing the small JSON files the assistant keeps or edits:
// each is read whole, checked, and written whole and atomically, indented
// with four spaces and its keys in ascending order.
namespace JsonFile {

enum class Status {
    Ok,          // parsed, the root is an object
    Missing,     // no file at the path
    Unreadable,  // present but cannot be opened
    ParseError,  // not JSON
    NotObject,   // JSON whose root is not an object
};

struct Contents {
    Status status = Status::Missing;
    QJsonObject root;
    QJsonParseError error {};
};

Contents read(const QString &path);
AtomicWriteResult write(const QString &path, const QJsonObject &root, QString *error = nullptr);

// The member `key` of `parent` when it is an object; false when it is
// missing or of another type (a member of another type is left alone).
bool takeObject(const QJsonObject &parent, const QString &key, QJsonObject &member);
// The same, but a missing member gives a new empty object.
bool takeObjectOrNew(const QJsonObject &parent, const QString &key, QJsonObject &member);

} // namespace JsonFile
