#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `contents` so that a crash or power loss
// leaves either the old file or the new one, never a mix (a temporary file in
// the same folder, flushed, then renamed over the old one). On failure the old
// file is untouched and `error` says why.
enum class AtomicWriteResult { Written, OpenFailed, WriteFailed };

AtomicWriteResult writeFileAtomically(const QString &path, const QByteArray &contents, QString *error = nullptr);
