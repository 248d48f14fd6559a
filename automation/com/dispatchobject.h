#pragma once

// A COM automation object reached through plain IDispatch, with the conventions the
// conversion job's member strings rely on. Windows only; plain C++ (no Qt).
//
// - Member strings are taken up to "(" and trimmed: "Close (Boolean)" calls "Close".
// - Names are looked up by the object (GetIDsOfNames), so letter case does not matter.
// - call() tries the member as method and property read together, as ActiveQt does; a name
//   "SetX" that the object does not know, with one argument, writes the property "X"
//   ("SetVisible (bool Visible)").
// - Text arguments are converted to the types the object's type information declares where
//   they differ ("false" for a Boolean parameter becomes False), when that information exists.
// - A failure carries the object's own description, or text built from the error code when
//   it gave none.

#include "automation/com/comvalue.h"

#include <oaidl.h>

#include <string>
#include <string_view>
#include <vector>

class DispatchObject;

// What one call answers: ok with a value (possibly an object, see object()), or a failure
// with its description.
struct DispatchReply {
    bool ok = false;
    ComValue value;
    std::wstring error;

    // The object the value holds; a null DispatchObject when it holds none.
    DispatchObject object() const;
};

class DispatchObject {
public:
    // No object.
    DispatchObject() = default;
    // Hold object, adding a reference (none for null).
    explicit DispatchObject(IDispatch* object);
    ~DispatchObject();
    DispatchObject(const DispatchObject& other);
    DispatchObject& operator=(const DispatchObject& other);
    DispatchObject(DispatchObject&& other) noexcept;
    DispatchObject& operator=(DispatchObject&& other) noexcept;

    // Create the object registered under progId ("Scripting.Dictionary", or a CLSID in
    // braces): as a local server first, then in-process. COM is started on the calling thread
    // when it is not yet. A null object when none can be created; error then says why.
    static DispatchObject create(std::wstring_view progId, std::wstring* error = nullptr);

    // True when COM knows a class under progId; nothing is started.
    static bool isRegistered(std::wstring_view progId);

    // The object value holds (VT_DISPATCH, or VT_UNKNOWN that answers IDispatch); a null
    // object when it holds none.
    static DispatchObject fromValue(const ComValue& value);

    bool isNull() const { return m_dispatch == nullptr; }
    IDispatch* dispatch() const { return m_dispatch; }

    // Call member as method or property read; the "SetX" rule above applies.
    DispatchReply call(std::wstring_view member, const std::vector<ComValue>& args = {}) const;
    // Read property member (with index arguments for an indexed property such as "Item").
    DispatchReply get(std::wstring_view member, const std::vector<ComValue>& index = {}) const;
    // Write property member: args are the index arguments, if any, then the value.
    DispatchReply put(std::wstring_view member, const std::vector<ComValue>& args) const;

    // The name a member string calls: the text before "(", blanks trimmed.
    static std::wstring memberName(std::wstring_view member);

private:
    DispatchReply invoke(std::wstring_view member, WORD flags, std::vector<ComValue> args) const;
    DispatchReply unknownMember(const std::wstring& name) const;
    DispatchReply invokeId(DISPID id, WORD flags, std::vector<ComValue> args) const;
    bool findMember(const std::wstring& name, DISPID* id) const;
    void convertArguments(DISPID id, WORD flags, std::vector<ComValue>& args) const;

    IDispatch* m_dispatch = nullptr;
};
