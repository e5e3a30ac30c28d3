#pragma once

#include <QString>

namespace platform {

// Maps an external tool as the launcher names it ("7z.exe", "hpatchz.exe", "adb.exe", "cmd") to the
// program this OS runs. Tools that come with the system resolve through PATH (the bare name when not
// found, so starting it fails visibly); tools installed beside the launcher resolve into
// applicationDir(). Other names are returned unchanged.
QString toolProgram(const QString &name);

} // namespace platform
