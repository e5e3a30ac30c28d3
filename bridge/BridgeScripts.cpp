#include "bridge/BridgeScripts.h"

namespace bridgescripts {

QString actionScript()
{
    return QStringLiteral("function doAction(action,data){var params = new Object();params.action = "
                          "action;params.data = data;window.bridge.callback(JSON.stringify(params));}");
}

QString channelScript()
{
    return QStringLiteral("new QWebChannel(qt.webChannelTransport, function(channel) {window.bridge = "
                          "channel.objects.bridge;pageInit();})");
}

} // namespace bridgescripts
