#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

// Every Qt message, time-stamped, appended to a monthly file in applicationDir + "/Data/logs"
// ("2025-3.log"; no leading zero). Each line is one open-append-close under one lock, so lines from several
// threads never mix and a deleted log directory is simply created again.

// The message handler: writes "yyyy-MM-dd HH:mm:ss==>" + message; the type and the context are ignored.
void launcherMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);
// Installs launcherMessageHandler with qInstallMessageHandler.
void installLogHandler();

// Appends line and a line break to logDir() + "/" + fileName + ".log", creating the directory when missing.
// Returns false (the line is lost) when the file cannot be written.
bool writeLogLine(const QString &fileName, const QString &line);
// applicationDir + "/Data/logs".
QString logDir();

// Replaces the clock the handler stamps lines with (local time); an empty function restores the real one.
void setLogClockForTesting(std::function<QDateTime()> clock);
