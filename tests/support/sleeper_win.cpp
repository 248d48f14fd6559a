// A Windows program that does nothing for a minute: the process the process-list tests start,
// count and end.
#include <windows.h>

/* Wait, then end. */
int main() {
    Sleep(60000);
    return 0;
}
