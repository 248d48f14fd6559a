#include "app/appresources.h"

#include <QtGlobal>

/* Register resources.qrc once per process. */
void loadAppResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(loaded);
}
