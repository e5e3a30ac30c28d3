#pragma once

#include <QString>

// The version file of an install, "version.data": one line of JSON with versionNo, versionName and
// baseVersionNo in that order. Reading is the configuration's readVersionData(); this writes it.
namespace tasks {

// {"versionNo":"4","versionName":"1.0.4","baseVersionNo":"4"}, each value escaped as a JSON string so any
// version name reads back as it was written.
QString versionFileText(const QString &versionNo, const QString &versionName, const QString &baseVersionNo);

// Where the file of the install at installDir lives: the path with every "/install" removed, then
// "/version.data" (the place readVersionData() reads).
QString versionFilePath(const QString &installDir);

} // namespace tasks
