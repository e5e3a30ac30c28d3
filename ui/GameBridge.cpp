#include "ui/GameBridge.h"

#include "bridge/ActionEnvelope.h"

#include <QDebug>

GameBridge::GameBridge(QObject *parent) : QObject(parent) {}

GameBridge::~GameBridge() = default;

void GameBridge::callback(const QString &text)
{
    const ActionEnvelope envelope = ActionEnvelope::parse(text);
    qDebug() << "game page event" << text.left(512);
    if (!envelope.isValid())
        return;
    emit mainPageEvent(envelope.action(), text);
}
