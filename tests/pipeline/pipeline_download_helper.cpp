// A launcher process reduced to its task manager: runs one download request on the given application
// directory and reports on standard output. The resume test kills it with SIGKILL in the middle of a
// transfer and starts it again.
//
//   pipeline_download_helper <appDir> <productId> <url>
//
// Prints "PROGRESS <bytes on disk>" while downloading and "INSTALLED" once the game is installed.
#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"
#include "tasks/ManageThread.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "usage: pipeline_download_helper <appDir> <productId> <url>\n";
        return 2;
    }
    const QString appDir = args.at(1);
    const QString productId = args.at(2);
    const QString url = args.at(3);
    platform::setApplicationDir(appDir);
    QApi api(appDir);
    TaskManager store;
    ManageThread thread(&api, &store);
    QTextStream out(stdout);
    QObject::connect(&thread, &ManageThread::updateDownloadTaskStatus,
                     [&](QString, QString id, int status, QString tips, QString, QString, bool, QString) {
                         if (id != productId)
                             return;
                         if (status == 1) {
                             const QString savePath =
                                 store.getTask(productId).value(QStringLiteral("savePath"));
                             out << "PROGRESS " << (savePath.isEmpty() ? 0 : QFileInfo(savePath).size())
                                 << '\n';
                         } else if (status == 5 && tips == QLatin1String("qidongyouxi")) {
                             out << "INSTALLED\n";
                             out.flush();
                             QCoreApplication::exit(0);
                         } else if (status == 3) {
                             out << "FAILED\n";
                             out.flush();
                             QCoreApplication::exit(1);
                         }
                         out.flush();
                     });
    thread.start();
    thread.createTask(productId, QStringLiteral("Game"), url, QStringLiteral("APP_PATH/bin/game.exe"),
                      QString(), QString(), QStringLiteral("0"), QString(), QStringLiteral("1"),
                      QStringLiteral("1.0.0"));
    const int code = app.exec();
    thread.wantManageThreadQuit();
    thread.wait(20000);
    return code;
}
