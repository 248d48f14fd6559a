#pragma once

// What an automation object's type information says about a member's parameters. Windows only.

#include <oaidl.h>

#include <vector>

// The declared type of each parameter of member id as invoked with flags (for a property
// write the value is the last one), in call order. VT_EMPTY stands for a parameter taking any
// type (VARIANT) or one of a kind no conversion applies to; an enumeration counts as VT_I4.
// Empty when the object offers no type information or it does not describe the member.
std::vector<VARTYPE> parameterTypes(IDispatch* object, DISPID id, WORD flags);
