#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

namespace tasks {

// A task as the store hands it around: column name -> text ("" for a missing or NULL value).
using TaskRecord = QMap<QString, QString>;

// The status code kept in a task's "nowStatus" column and sent in status notices. Codes travel as plain
// numbers (int in signals, decimal text in the table), so the enum converts to int implicitly.
enum TaskStatus : int
{
    Waiting = 0,          // queued; the scheduler starts it when a download slot is free
    Downloading = 1,      // a download worker has been started for it
    Downloaded = 2,       // the package is complete on disk, not installed yet
    DownloadFailed = 3,   // the transfer ended with an error
    Paused = 4,           // the transfer was aborted; downSize holds the bytes kept
    Installed = 5,        // installed and ready to start
    InLibrary = 6,        // in the user's games but not downloaded
    Installing = 7,       // an Android package has been handed to the device bridge
    DeviceBridgeOnly = 8, // sent by the device bridge while an app start waits; never stored
    ExtractFailed = 9,    // set by the store when it lists all games and finds an install left at 7
    ReportedOnly = 10,    // reported in the lists for platforms "3" and "5"; never stored
    IosLink = 11,         // an "itms-services" address; never downloaded
};

// The decimal text stored for a status ("5").
QString statusText(int status);

// The literal that tells the page to leave a text field of a notice as it shows it.
inline QString keepText()
{
    return QStringLiteral("keep");
}
// The action every status notice carries.
inline QString downGameAction()
{
    return QStringLiteral("downGame");
}

// One status notice, the arguments of the task manager's updateDownloadTaskStatus signal in their order.
struct StatusNotice
{
    QString action = downGameAction();
    QString id; // the task's productId, not its row id
    int status = Waiting;
    QString tips;    // a translated tip or keepText()
    QString rate;    // "0", "100", a two-decimal percentage, or keepText()
    QString runRate; // speed, percentage with "%", "0", "-", "" or keepText()
    bool showDisable = false;
    QString downSizeRate; // done/total size, a second tip, a file name, an error text or ""
};

// A notice for productId; the text fields default to "".
StatusNotice makeNotice(const QString &productId, int status, const QString &tips,
                        const QString &rate = QString(), const QString &runRate = QString(),
                        bool showDisable = false, const QString &downSizeRate = QString());

} // namespace tasks

Q_DECLARE_METATYPE(tasks::StatusNotice)
