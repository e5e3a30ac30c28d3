#pragma once

#include <QObject>
#include <QString>

// The object an H5 game page reaches as "bridge". The page belongs to the game's maker, not to the
// operator, so this object only passes the page's actions on to its game window; it signs nobody in,
// opens no links and changes no start-up entry, whatever the page sends.
class GameBridge : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(GameBridge)

public:
    explicit GameBridge(QObject *parent = nullptr);
    ~GameBridge() override;

public slots:
    // The page's action envelope as JSON text; text that is not a JSON object is logged and dropped.
    void callback(const QString &text);

signals:
    void mainPageEvent(const QString &s, const QString &params);
};
