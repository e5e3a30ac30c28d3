#pragma once

#include <Qt>

class QString;
class QUrl;
class QWidget;

namespace platform {

// Hands the window of widget to the window manager's interactive move. Returns false when the window
// manager does not offer one (the window then stays where it is).
bool startSystemMove(QWidget *widget);

// Hands the window of widget to the window manager's interactive resize along edges.
bool startSystemResize(QWidget *widget, Qt::Edges edges);

// Asks for the user's attention (task bar flashing or urgency hint) until the window is activated.
void flashWindow(QWidget *widget);

// True when the window of widget is visible and not minimised and a window of this program is the
// active window of the desktop.
bool isForegroundWindow(QWidget *widget);

// Opens url in the user's browser. Returns whether a handler accepted it.
bool openUrlInBrowser(const QUrl &url);

// Shows a file in the user's file manager: the folder that holds it, or the folder itself when path is
// a directory.
bool showInFileManager(const QString &path);

} // namespace platform
