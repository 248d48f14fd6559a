#pragma once

#include "office/clipboard/fragment.h"

#include <memory>

// The built-in clipboard: one per thread, so that two conversion jobs on two threads never
// see each other's copies. Copy() in Word or Excel puts a fragment here; Paste() reads it.
class Clipboard {
public:
    // The clipboard of the calling thread.
    static Clipboard& current();

    // Replace the content.
    void setFragment(Fragment fragment);
    // The content, or nullptr when nothing was copied (or it was cleared).
    const Fragment* fragment() const { return m_fragment.get(); }
    void clear() { m_fragment.reset(); }

private:
    std::shared_ptr<const Fragment> m_fragment;
};
