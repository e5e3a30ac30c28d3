#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Bytes available to this user on the volume that holds path. The path itself need not exist yet: the
// volume of its nearest existing parent directory is asked. Returns -1 when nothing can be asked.
qint64 freeSpaceFor(const QString &path);

// Tests: makes freeSpaceFor() answer bytes for every path; a negative value restores the real answer.
void setFreeSpaceOverride(qint64 bytes);

} // namespace platform
