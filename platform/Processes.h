#pragma once

#include <QString>

namespace platform {

// True when executableName can name processes to end: not empty, not "." or "..", and free of path
// separators, whitespace, control characters and shell metacharacters.
bool isSafeProcessName(const QString &executableName);

// Ends at once (the launcher's forced kill by image name) every process of the current user whose
// executable is named exactly executableName: the file name of its program, of its argv[0] (a program run
// under a loader keeps its own name there) or of the script it runs. Never a partial match and never the
// launcher itself. Waits up to two seconds for the processes to be gone, so their files can be replaced.
// Returns whether any process was ended; an unsafe name ends nothing and returns false.
bool killProcessesByName(const QString &executableName);

} // namespace platform
