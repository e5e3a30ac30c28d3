#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QApi;

namespace tasks {

// The arguments a game is started with: "channelCode=", "lang=", "oversea=", "productCode=" from the
// configuration, then "authToken=", "uid=" and "username=" when the saved login holds both a uid and a
// token. Values go in as they are; each is one argument.
QStringList gameArguments(const QApi &api, const QMap<QString, QString> &savedLogin);

} // namespace tasks
