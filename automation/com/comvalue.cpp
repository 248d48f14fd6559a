#include "automation/com/comvalue.h"

#include <oleauto.h>

#include <utility>

/* An empty value. */
ComValue::ComValue() {
    VariantInit(&m_variant);
}

/* Own the given variant as it is. */
ComValue::ComValue(const VARIANT& variant) : m_variant(variant) {}

/* Free strings and release objects held. */
ComValue::~ComValue() {
    VariantClear(&m_variant);
}

/* A deep copy: strings copied, object references added. */
ComValue::ComValue(const ComValue& other) : ComValue() {
    // VariantCopy only reads its source, though the declaration does not say so.
    VariantCopy(&m_variant, const_cast<VARIANT*>(&other.m_variant));
}

/* Replace the value by a deep copy of other. */
ComValue& ComValue::operator=(const ComValue& other) {
    if (this != &other) {
        VariantCopy(&m_variant, const_cast<VARIANT*>(&other.m_variant));
    }
    return *this;
}

/* Take other's value, leaving it empty. */
ComValue::ComValue(ComValue&& other) noexcept : m_variant(other.m_variant) {
    VariantInit(&other.m_variant);
}

/* Replace the value by other's, leaving other empty. */
ComValue& ComValue::operator=(ComValue&& other) noexcept {
    if (this != &other) {
        VariantClear(&m_variant);
        m_variant = other.m_variant;
        VariantInit(&other.m_variant);
    }
    return *this;
}

/* A VT_BOOL value. */
ComValue ComValue::ofBool(bool value) {
    ComValue out;
    out.m_variant.vt = VT_BOOL;
    out.m_variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return out;
}

/* A VT_I4 value. */
ComValue ComValue::ofInt(long value) {
    ComValue out;
    out.m_variant.vt = VT_I4;
    out.m_variant.lVal = value;
    return out;
}

/* A VT_I8 value. */
ComValue ComValue::ofInt64(long long value) {
    ComValue out;
    out.m_variant.vt = VT_I8;
    out.m_variant.llVal = value;
    return out;
}

/* A VT_R8 value. */
ComValue ComValue::ofDouble(double value) {
    ComValue out;
    out.m_variant.vt = VT_R8;
    out.m_variant.dblVal = value;
    return out;
}

/* A VT_BSTR value holding a copy of text. */
ComValue ComValue::ofString(std::wstring_view text) {
    ComValue out;
    out.m_variant.vt = VT_BSTR;
    out.m_variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return out;
}

/* A VT_DISPATCH value with its own reference. */
ComValue ComValue::ofObject(IDispatch* object) {
    ComValue out;
    if (object != nullptr) {
        object->AddRef();
        out.m_variant.vt = VT_DISPATCH;
        out.m_variant.pdispVal = object;
    }
    return out;
}

/* The value COM takes for an optional argument left out. */
ComValue ComValue::missing() {
    ComValue out;
    out.m_variant.vt = VT_ERROR;
    out.m_variant.scode = DISP_E_PARAMNOTFOUND;
    return out;
}

/* Clear the value and hand it out for a call to fill in. */
VARIANT* ComValue::receive() {
    VariantClear(&m_variant);
    return &m_variant;
}

/* Convert in place with the system's coercion rules. */
bool ComValue::convertTo(VARTYPE type) {
    if (m_variant.vt == type) {
        return true;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &m_variant, 0, type))) {
        return false;
    }
    VariantClear(&m_variant);
    m_variant = converted;
    return true;
}

/* The value's text form. */
std::wstring ComValue::toString() const {
    ComValue copy(*this);
    if (!copy.convertTo(VT_BSTR) || copy.m_variant.bstrVal == nullptr) {
        return std::wstring();
    }
    return std::wstring(copy.m_variant.bstrVal, SysStringLen(copy.m_variant.bstrVal));
}

/* The value as a 64-bit whole number. */
long long ComValue::toInt64() const {
    ComValue copy(*this);
    return copy.convertTo(VT_I8) ? copy.m_variant.llVal : 0;
}

/* The value as a double. */
double ComValue::toDouble() const {
    ComValue copy(*this);
    return copy.convertTo(VT_R8) ? copy.m_variant.dblVal : 0.0;
}

/* The object held, with a new reference. */
IDispatch* ComValue::takeDispatch() const {
    IUnknown* unknown = nullptr;
    if (m_variant.vt == VT_DISPATCH) {
        unknown = m_variant.pdispVal;
    } else if (m_variant.vt == VT_UNKNOWN) {
        unknown = m_variant.punkVal;
    }
    IDispatch* dispatch = nullptr;
    if (unknown == nullptr ||
        FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return nullptr;
    }
    return dispatch;
}
