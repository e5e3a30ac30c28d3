#include "ui/DirectoryChooser.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QStandardPaths>
#include <QWidget>

namespace directorychooser {
namespace {
std::function<QString()> &testChooser()
{
    static std::function<QString()> chooser;
    return chooser;
}
} // namespace

QString chooseInstallDirectory()
{
    if (testChooser())
        return testChooser()();

    // An invisible owner keeps the dialog in front of the launcher's stay-on-top windows.
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Temp Window"));
    owner.resize(10, 10);
    owner.setWindowFlags(Qt::Tool | Qt::WindowTitleHint);
    owner.setWindowOpacity(0);
    owner.show();
    const QString directory = QFileDialog::getExistingDirectory(
        &owner, QCoreApplication::translate("QObject", "selectInstallPath"),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), QFileDialog::ShowDirsOnly);
    owner.hide();
    return directory;
}

void setChooserForTesting(std::function<QString()> chooser)
{
    testChooser() = std::move(chooser);
}

} // namespace directorychooser
