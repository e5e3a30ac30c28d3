#include "Resources/ResourceInit.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function in the current namespace, so it is called from
// the global one.
static void registerLauncherResources()
{
    Q_INIT_RESOURCE(launcher_resources);
}

namespace resources {

void init()
{
    static const bool registered = (registerLauncherResources(), true);
    Q_UNUSED(registered);
}

} // namespace resources
