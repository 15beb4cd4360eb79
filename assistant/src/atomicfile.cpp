#include "atomicfile.h"

#include <QSaveFile>

AtomicWriteResult writeFileAtomically(const QString &path, const QByteArray &contents, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return AtomicWriteResult::OpenFailed;
    }
    if (file.write(contents) != contents.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return AtomicWriteResult::WriteFailed;
    }
    return AtomicWriteResult::Written;
}
