#include "office/clipboard/clipboard.h"

/* Each thread gets its own clipboard. */
Clipboard& Clipboard::current() {
    thread_local Clipboard clipboard;
    return clipboard;
}

/* Hold a new fragment, dropping the old one. */
void Clipboard::setFragment(Fragment fragment) {
    m_fragment = std::make_shared<const Fragment>(std::move(fragment));
}
