#pragma once

// Register the program's compiled-in resources (the icon ":/images/qvr.ico"). The resources
// live in a static library, whose registration the linker would otherwise drop; calling this
// more than once registers them once.
void loadAppResources();
