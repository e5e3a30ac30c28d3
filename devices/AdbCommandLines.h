#pragma once

#include <QString>
#include <QStringList>

// The argument lists handed to the adb tool. Every value is one argument of its own; nothing is put
// together into a command text for a local shell.
namespace devices {

// "devices -l": the attached devices with their model names.
QStringList listingArguments();

// Installs (replacing an installed version) the package file on the device with this serial.
QStringList installArguments(const QString &serial, const QString &packageFile);

// Starts package on the device: its activity when one is given ("com.game.Main" or ".Main"), otherwise
// the activity the package shows in the phone's launcher. adb hands these words to the phone's shell as
// one command text, so names that are not Android names give an empty list and nothing is run.
QStringList startArguments(const QString &serial, const QString &package, const QString &activity);

// An Android application id: at least two dot-separated parts, each a letter followed by letters, digits
// or underscores.
bool isAndroidPackageName(const QString &name);

// An activity class: dot-separated Java identifiers without '$', optionally with a leading dot (relative
// to the package).
bool isAndroidActivityName(const QString &name);

} // namespace devices
