#include "automation/com/typeinfoquery.h"

namespace {

/* The plain type a user-defined type stands for: an enumeration is VT_I4, an alias its
   aliased type; VT_EMPTY for anything else. */
VARTYPE resolveUserType(ITypeInfo* info, HREFTYPE reference) {
    ITypeInfo* target = nullptr;
    if (FAILED(info->GetRefTypeInfo(reference, &target))) {
        return VT_EMPTY;
    }
    VARTYPE type = VT_EMPTY;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(target->GetTypeAttr(&attributes))) {
        if (attributes->typekind == TKIND_ENUM) {
            type = VT_I4;
        } else if (attributes->typekind == TKIND_ALIAS && attributes->tdescAlias.vt != VT_PTR &&
                   attributes->tdescAlias.vt != VT_USERDEFINED) {
            type = attributes->tdescAlias.vt;
        }
        target->ReleaseTypeAttr(attributes);
    }
    target->Release();
    return type;
}

/* The conversion target for one declared parameter type. */
VARTYPE targetType(ITypeInfo* info, const TYPEDESC& declared) {
    switch (declared.vt) {
        case VT_BOOL:
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_UINT:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
            return declared.vt;
        case VT_USERDEFINED:
            return resolveUserType(info, declared.hreftype);
        default:
            return VT_EMPTY;
    }
}

/* The invocation kind a function description must have for flags. */
bool kindMatches(INVOKEKIND kind, WORD flags) {
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        return kind == INVOKE_PROPERTYPUT;
    }
    return kind == INVOKE_FUNC || kind == INVOKE_PROPERTYGET;
}

/* The parameter types of the function description at index when it describes id. */
bool describe(ITypeInfo* info, UINT index, DISPID id, WORD flags, std::vector<VARTYPE>* out) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(index, &function))) {
        return false;
    }
    const bool matches = function->memid == id && kindMatches(function->invkind, flags);
    if (matches) {
        for (SHORT i = 0; i < function->cParams; ++i) {
            out->push_back(targetType(info, function->lprgelemdescParam[i].tdesc));
        }
    }
    info->ReleaseFuncDesc(function);
    return matches;
}

}  // namespace

/* The declared parameter types of member id. */
std::vector<VARTYPE> parameterTypes(IDispatch* object, DISPID id, WORD flags) {
    std::vector<VARTYPE> types;
    UINT count = 0;
    ITypeInfo* info = nullptr;
    if (object == nullptr || FAILED(object->GetTypeInfoCount(&count)) || count == 0 ||
        FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) {
        return types;
    }
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
        const UINT functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT i = 0; i < functions; ++i) {
            if (describe(info, i, id, flags, &types)) {
                break;
            }
        }
    }
    info->Release();
    return types;
}
