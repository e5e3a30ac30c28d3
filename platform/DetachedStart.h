#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace platform {

// Starts program as an independent process (it outlives the launcher and is not tracked) with the
// argument list passed word for word and the given working directory. Returns whether it started;
// *pid receives its process id when given.
bool startDetached(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                   qint64 *pid = nullptr);

} // namespace platform
