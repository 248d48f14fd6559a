#include "automation/com/comerror.h"

#include <oleauto.h>
#include <windows.h>

#include <cstdio>

namespace {

/* The text of a BSTR, empty for null. */
std::wstring textOf(BSTR text) {
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

/* text without trailing blanks and line ends. */
std::wstring trimmedEnd(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\r' || text.back() == L'\n' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

/* The system's message for code, or its hexadecimal form. */
std::wstring describeError(HRESULT code) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = length > 0 && message != nullptr ? trimmedEnd(message) : std::wstring();
    if (message != nullptr) {
        LocalFree(message);
    }
    if (text.empty()) {
        wchar_t hex[32];
        std::swprintf(hex, sizeof hex / sizeof hex[0], L"error 0x%08lX",
                      static_cast<unsigned long>(code));
        text = hex;
    }
    return text;
}

/* The exception's own description, or one built from its code. */
std::wstring describeException(EXCEPINFO& exception) {
    if (exception.pfnDeferredFillIn != nullptr) {
        exception.pfnDeferredFillIn(&exception);
    }
    std::wstring text = trimmedEnd(textOf(exception.bstrDescription));
    const std::wstring source = textOf(exception.bstrSource);
    if (text.empty()) {
        // A server-defined code stands in wCode; the HRESULT then is built from it.
        const HRESULT code = exception.scode != 0
                                 ? exception.scode
                                 : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, exception.wCode);
        text = describeError(code);
    }
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    exception.bstrDescription = exception.bstrSource = exception.bstrHelpFile = nullptr;
    return source.empty() ? text : source + L": " + text;
}
