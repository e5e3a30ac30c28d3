#pragma once

#include <QString>

// The scripts the native side runs in a page after every load to connect it to the bridge.
namespace bridgescripts {

// Defines doAction(action, data), which sends the action envelope to the bridge object.
QString actionScript();

// Connects the page's web channel, sets window.bridge and calls the page's pageInit().
QString channelScript();

} // namespace bridgescripts
