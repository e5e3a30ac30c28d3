#include "tasks/ProcessHelpers.h"

#include "platform/Processes.h"

namespace tasks {

bool killProcessByName(const QString &name)
{
    return platform::killProcessesByName(name);
}

} // namespace tasks
