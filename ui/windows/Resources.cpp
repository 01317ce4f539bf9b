#include "windows/Resources.h"

#include <QtGlobal>

void InitMirelundResources() {
    // The guard keeps a second call from registering the same data twice.
    static const bool registered = [] {
        Q_INIT_RESOURCE(mirelund);
        return true;
    }();
    Q_UNUSED(registered);
}
