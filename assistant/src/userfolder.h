#pragma once

#include <QString>

// The per-user folder of the program (set.json, setting.inf, the daily logs,
// feedback.json): the local application-data folder, or the folder named by
// the environment variable OSTREL_USER_DIR so tests and parallel runs never
// share one.
namespace UserFolder {

QString path();
// Creates the folder when it does not exist yet. True when it exists afterwards.
bool ensure();

} // namespace UserFolder
