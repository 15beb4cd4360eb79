#include "jsonfile.h"

#include <QFile>
#include <QJsonDocument>

namespace JsonFile {

Contents read(const QString &path)
{
    Contents contents;
    QFile file(path);
    if (!file.exists())
        return contents;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.status = Status::Unreadable;
        return contents;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &contents.error);
    if (contents.error.error != QJsonParseError::NoError)
        contents.status = Status::ParseError;
    else if (!document.isObject())
        contents.status = Status::NotObject;
    else
        contents.status = Status::Ok;
    contents.root = document.object();
    return contents;
}

AtomicWriteResult write(const QString &path, const QJsonObject &root, QString *error)
{
    return writeFileAtomically(path, QJsonDocument(root).toJson(QJsonDocument::Indented), error);
}

bool takeObject(const QJsonObject &parent, const QString &key, QJsonObject &member)
{
    const QJsonValue value = parent.value(key);
    if (!value.isObject())
        return false;
    member = value.toObject();
    return true;
}

bool takeObjectOrNew(const QJsonObject &parent, const QString &key, QJsonObject &member)
{
    if (!parent.contains(key)) {
        member = QJsonObject();
        return true;
    }
    return takeObject(parent, key, member);
}

} // namespace JsonFile
