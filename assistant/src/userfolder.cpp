#include "userfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace UserFolder {

QString path()
{
    const QString overridden = qEnvironmentVariable("OSTREL_USER_DIR");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

bool ensure()
{
    const QString folder = path();
    return !folder.isEmpty() && QDir().mkpath(folder);
}

} // namespace UserFolder
