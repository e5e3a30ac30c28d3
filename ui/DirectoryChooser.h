#pragma once

#include <QString>

#include <functional>

// Asks the user for an existing game directory (the "selectInstallPath" actions of the storefront and the
// settings page): a directory dialog over an invisible helper window, starting at the desktop. Returns ""
// when the user cancels.
namespace directorychooser {

QString chooseInstallDirectory();

// Replaces the dialog (tests); an empty function restores it.
void setChooserForTesting(std::function<QString()> chooser);

} // namespace directorychooser
