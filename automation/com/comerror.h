#pragma once

// Failure descriptions for COM calls, in words for the user. Windows only.

#include <oaidl.h>

#include <string>

// The system's text for an error code ("Unknown name."), or "error 0x80020006" when the
// system has none.
std::wstring describeError(HRESULT code);

// The description an object raised with a call's exception: its own text, or the text of
// its error code when it left the description empty (Wine's servers do), after the source
// when it named one ("Scripting.Dictionary: ..."). Frees the strings exception holds.
std::wstring describeException(EXCEPINFO& exception);
