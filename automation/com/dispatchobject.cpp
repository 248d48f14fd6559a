#include "automation/com/dispatchobject.h"

#include "automation/com/comerror.h"
#include "automation/com/typeinfoquery.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <utility>

namespace {

/* Start COM (single-threaded apartment) on the calling thread once; stopped when the thread
   ends. A thread whose COM another part already started keeps that. */
void ensureComStarted() {
    struct Apartment {
        bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ~Apartment() {
            if (started) {
                CoUninitialize();
            }
        }
    };
    thread_local Apartment apartment;
    (void)apartment;
}

/* The class identifier of a ProgID or of a CLSID in braces. */
HRESULT classOf(const std::wstring& progId, CLSID* clsid) {
    if (!progId.empty() && progId.front() == L'{') {
        return CLSIDFromString(progId.c_str(), clsid);
    }
    return CLSIDFromProgID(progId.c_str(), clsid);
}

/* True when name starts with "set" in any letter case and has more after it. */
bool isSetterName(const std::wstring& name) {
    return name.size() > 3 && std::towlower(name[0]) == L's' && std::towlower(name[1]) == L'e' &&
           std::towlower(name[2]) == L't';
}

}  // namespace

/* The object held by the reply's value. */
DispatchObject DispatchReply::object() const {
    return DispatchObject::fromValue(value);
}

/* Hold object with a reference of our own. */
DispatchObject::DispatchObject(IDispatch* object) : m_dispatch(object) {
    if (m_dispatch != nullptr) {
        m_dispatch->AddRef();
    }
}

/* Release our reference. */
DispatchObject::~DispatchObject() {
    if (m_dispatch != nullptr) {
        m_dispatch->Release();
    }
}

/* Share other's object. */
DispatchObject::DispatchObject(const DispatchObject& other) : DispatchObject(other.m_dispatch) {}

/* Share other's object, releasing ours. */
DispatchObject& DispatchObject::operator=(const DispatchObject& other) {
    DispatchObject copy(other);
    std::swap(m_dispatch, copy.m_dispatch);
    return *this;
}

/* Take other's reference. */
DispatchObject::DispatchObject(DispatchObject&& other) noexcept
    : m_dispatch(std::exchange(other.m_dispatch, nullptr)) {}

/* Take other's reference, releasing ours. */
DispatchObject& DispatchObject::operator=(DispatchObject&& other) noexcept {
    std::swap(m_dispatch, other.m_dispatch);
    return *this;
}

/* The object a value holds. */
DispatchObject DispatchObject::fromValue(const ComValue& value) {
    IDispatch* dispatch = value.takeDispatch();
    DispatchObject out(dispatch);
    if (dispatch != nullptr) {
        dispatch->Release();
    }
    return out;
}

/* Create the registered object, local server first. */
DispatchObject DispatchObject::create(std::wstring_view progId, std::wstring* error) {
    ensureComStarted();
    CLSID clsid;
    HRESULT result = classOf(std::wstring(progId), &clsid);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(result)) {
        result = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(&dispatch));
        if (FAILED(result)) {
            result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                      IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        }
    }
    if (FAILED(result) || dispatch == nullptr) {
        if (error != nullptr) {
            *error = L"cannot start " + std::wstring(progId) + L": " + describeError(result);
        }
        return DispatchObject();
    }
    DispatchObject out(dispatch);
    dispatch->Release();
    return out;
}

/* Look the identifier up without creating anything. */
bool DispatchObject::isRegistered(std::wstring_view progId) {
    ensureComStarted();
    CLSID clsid;
    return SUCCEEDED(classOf(std::wstring(progId), &clsid));
}

/* Call member as method or property read, or write X for an unknown "SetX". */
DispatchReply DispatchObject::call(std::wstring_view member,
                                   const std::vector<ComValue>& args) const {
    const std::wstring name = memberName(member);
    DISPID id = DISPID_UNKNOWN;
    if (isNull()) {
        return unknownMember(name);
    }
    if (findMember(name, &id)) {
        return invokeId(id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    if (args.size() == 1 && isSetterName(name) && findMember(name.substr(3), &id)) {
        return invokeId(id, DISPATCH_PROPERTYPUT, args);
    }
    return unknownMember(name);
}

/* Read a property. */
DispatchReply DispatchObject::get(std::wstring_view member,
                                  const std::vector<ComValue>& index) const {
    return invoke(member, DISPATCH_PROPERTYGET, index);
}

/* Write a property. */
DispatchReply DispatchObject::put(std::wstring_view member,
                                  const std::vector<ComValue>& args) const {
    return invoke(member, DISPATCH_PROPERTYPUT, args);
}

/* The text before "(", trimmed. */
std::wstring DispatchObject::memberName(std::wstring_view member) {
    std::wstring_view name = member.substr(0, member.find(L'('));
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!name.empty() && blank(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && blank(name.back())) {
        name.remove_suffix(1);
    }
    return std::wstring(name);
}

/* Look member up and invoke it with flags. */
DispatchReply DispatchObject::invoke(std::wstring_view member, WORD flags,
                                     std::vector<ComValue> args) const {
    const std::wstring name = memberName(member);
    DISPID id = DISPID_UNKNOWN;
    if (isNull() || !findMember(name, &id)) {
        return unknownMember(name);
    }
    return invokeId(id, flags, std::move(args));
}

/* The failure of a call on no object or to a name the object does not know. */
DispatchReply DispatchObject::unknownMember(const std::wstring& name) const {
    DispatchReply reply;
    reply.error = isNull() ? L"no object" : L"the object has no member named " + name;
    return reply;
}

/* The member's dispatch identifier, false when the object knows no such name. */
bool DispatchObject::findMember(const std::wstring& name, DISPID* id) const {
    if (name.empty()) {
        return false;
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    return SUCCEEDED(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

/* Invoke the member id with args in call order, describing any failure. */
DispatchReply DispatchObject::invokeId(DISPID id, WORD flags, std::vector<ComValue> args) const {
    convertArguments(id, flags, args);
    // IDispatch takes the arguments last first; a written value is the named argument.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        reversed.push_back(it->variant());
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    DispatchReply reply;
    const HRESULT result = m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                              reply.value.receive(), &exception, &badArgument);
    reply.ok = SUCCEEDED(result);
    if (!reply.ok) {
        reply.error =
            result == DISP_E_EXCEPTION ? describeException(exception) : describeError(result);
    }
    return reply;
}

/* Convert text arguments to the parameter types the type information declares. */
void DispatchObject::convertArguments(DISPID id, WORD flags, std::vector<ComValue>& args) const {
    // Only text needs converting (the job passes "false" for a Boolean); other values keep
    // their types, which saves asking an out-of-process server for its type information.
    const auto isText = [](const ComValue& arg) { return arg.type() == VT_BSTR; };
    if (std::none_of(args.begin(), args.end(), isText)) {
        return;
    }
    const std::vector<VARTYPE> types = parameterTypes(m_dispatch, id, flags);
    const std::size_t count = std::min(types.size(), args.size());
    for (std::size_t i = 0; i < count; ++i) {
        // Text for an untyped parameter stays text.
        if (types[i] != VT_EMPTY && isText(args[i])) {
            args[i].convertTo(types[i]);
        }
    }
}
