#pragma once

#include <QString>

class QApi;

// The sign-in addresses shared by the login dialog and the popup views.
namespace loginaddress {

// The host the OAuth service redirects to after a sign-in. It lies under the reserved ".invalid" top-level
// domain, so no server ever answers for it: the address is only recognised, never loaded.
QString loginSuccessHost();
// "http://www." + loginSuccessHost().
QString loginSuccessUrl();

// The OAuth sign-in address for this installation.
QString oauthUrl(const QApi &api);

} // namespace loginaddress
