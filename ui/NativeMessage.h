#pragma once

#include <QString>

// The two native message boxes of the launcher (a broken installation, a storefront that does not load):
// a critical message with one OK button, run modally. Every box also writes one debug line with its
// title and text. Tests that run the real program set LAUNCHER_TEST_ACCEPT_MESSAGES_MS to have each box
// accepted after that many milliseconds.
namespace nativemessage {

// Returns the button that closed the box (QMessageBox::Ok when accepted).
int critical(const QString &title, const QString &text);

} // namespace nativemessage
