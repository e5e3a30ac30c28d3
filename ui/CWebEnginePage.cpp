#include "ui/CWebEnginePage.h"

#include <QDebug>

CWebEnginePage::CWebEnginePage(QObject *parent) : QWebEnginePage(parent) {}

void CWebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message,
                                              int lineNumber, const QString &sourceID)
{
    qDebug() << "[Console]" << message << "==" << lineNumber << "==" << sourceID;
}
