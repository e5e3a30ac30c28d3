#pragma once

#include <QWebEnginePage>

// The storefront's page: its console output goes to the launcher's log.
class CWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
    Q_DISABLE_COPY(CWebEnginePage)

public:
    explicit CWebEnginePage(QObject *parent = nullptr);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
};
