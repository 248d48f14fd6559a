#pragma once

// One COM automation value (a VARIANT) that owns what it holds: strings are freed and object
// references released when it goes, copies copy strings and add references. Windows only.

#include <oaidl.h>

#include <string>
#include <string_view>

class ComValue {
public:
    // An empty value (VT_EMPTY).
    ComValue();
    // Take over variant, which the caller must not clear afterwards.
    explicit ComValue(const VARIANT& variant);
    ~ComValue();
    ComValue(const ComValue& other);
    ComValue& operator=(const ComValue& other);
    ComValue(ComValue&& other) noexcept;
    ComValue& operator=(ComValue&& other) noexcept;

    static ComValue ofBool(bool value);
    static ComValue ofInt(long value);
    static ComValue ofInt64(long long value);
    static ComValue ofDouble(double value);
    static ComValue ofString(std::wstring_view text);
    // An object argument; adds a reference. A null object gives an empty value.
    static ComValue ofObject(IDispatch* object);
    // An optional argument left out (VT_ERROR holding DISP_E_PARAMNOTFOUND).
    static ComValue missing();

    VARTYPE type() const { return m_variant.vt; }
    bool isEmpty() const { return m_variant.vt == VT_EMPTY || m_variant.vt == VT_NULL; }
    const VARIANT& variant() const { return m_variant; }
    // The value as a VARIANT to be filled in by a call; clears what it held first.
    VARIANT* receive();

    // The value converted to type, false (value unchanged) when it cannot be.
    bool convertTo(VARTYPE type);
    // The value as text ("" when it has no text form).
    std::wstring toString() const;
    // The value as a whole number (0 when it has no such form).
    long long toInt64() const;
    // The value as a floating-point number (0 when it has no such form).
    double toDouble() const;
    // The object the value holds, with a reference added for the caller; null when it holds
    // none.
    IDispatch* takeDispatch() const;

private:
    VARIANT m_variant;
};
