#pragma once

#include <QString>

class QUrl;

// Which pages may reach native code through the bridge: the operator's own pages (same scheme, host and
// port as the configured API host) and the program's own resources (qrc:). A page of any other origin
// that the storefront navigates to or opens gets no bridge, so it cannot start downloads, installers or
// autostart entries.
namespace bridgeorigin {

// True when page may get the bridge, given the API host as configured (with or without its trailing "/").
bool isAllowed(const QUrl &page, const QString &apiHost);

} // namespace bridgeorigin
