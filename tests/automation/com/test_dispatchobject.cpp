#include "automation/com/dispatchobject.h"

#include "automation/com/typeinfoquery.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Args = std::vector<ComValue>;

/* A new Scripting.Dictionary, failing the test when none can be made. */
DispatchObject newDictionary() {
    std::wstring error;
    DispatchObject dictionary = DispatchObject::create(L"Scripting.Dictionary", &error);
    EXPECT_FALSE(dictionary.isNull()) << std::string(error.begin(), error.end());
    return dictionary;
}

/* The reference count of object, read by adding and dropping one reference. */
ULONG referenceCount(IDispatch* object) {
    object->AddRef();
    return object->Release();
}

/* The member's dispatch identifier on object. */
DISPID idOf(const DispatchObject& object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    object.dispatch()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// A member string and the name it calls.
struct NameCase {
    const char* name;
    const wchar_t* member;
    const wchar_t* called;
};

TEST(DispatchMemberName, TextBeforeTheParenthesisTrimmed) {
    const NameCase rows[] = {
        {"Plain", L"Count", L"Count"},
        {"EmptyList", L"Paste()", L"Paste"},
        {"BlankBeforeList", L"Close (Boolean)", L"Close"},
        {"LeadingBlanks", L"  \tQuit(void)", L"Quit"},
        {"SetterForm", L"SetVisible (bool Visible)", L"SetVisible"},
        {"Empty", L"", L""},
        {"OnlyList", L"(int)", L""},
    };
    for (const NameCase& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DispatchObject::memberName(row.member), row.called);
    }
}

TEST(DispatchCreate, UnknownProgramIdentifierGivesNullAndAReason) {
    std::wstring error;
    const DispatchObject none = DispatchObject::create(L"Sheetweaver.NoSuchServer", &error);
    EXPECT_TRUE(none.isNull());
    EXPECT_NE(error.find(L"Sheetweaver.NoSuchServer"), std::wstring::npos);
    const DispatchReply reply = none.call(L"Count");
    EXPECT_FALSE(reply.ok);
    EXPECT_FALSE(reply.error.empty());
}

TEST(DispatchDictionary, AddCountAndItemReadAndWrite) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    EXPECT_TRUE(dictionary
                    .call(L"Add (const QString&, QVariant)",
                          Args{ComValue::ofString(L"alpha"), ComValue::ofInt(7)})
                    .ok);
    EXPECT_TRUE(
        dictionary.call(L"Add", Args{ComValue::ofString(L"beta"), ComValue::ofBool(true)}).ok);
    const DispatchReply count = dictionary.get(L"Count");
    ASSERT_TRUE(count.ok);
    EXPECT_EQ(count.value.toInt64(), 2);
    const DispatchReply alpha = dictionary.get(L"Item", Args{ComValue::ofString(L"alpha")});
    ASSERT_TRUE(alpha.ok);
    EXPECT_EQ(alpha.value.toInt64(), 7);
    ASSERT_TRUE(
        dictionary.put(L"Item", Args{ComValue::ofString(L"alpha"), ComValue::ofString(L"seven")})
            .ok);
    EXPECT_EQ(dictionary.call(L"Item", Args{ComValue::ofString(L"alpha")}).value.toString(),
              L"seven");
}

TEST(DispatchDictionary, MemberNamesIgnoreLetterCase) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    EXPECT_TRUE(dictionary.call(L"aDD", Args{ComValue::ofString(L"k"), ComValue::ofInt(1)}).ok);
    const DispatchReply count = dictionary.call(L"cOUNT");
    ASSERT_TRUE(count.ok);
    EXPECT_EQ(count.value.toInt64(), 1);
    const DispatchReply exists =
        dictionary.call(L"EXISTS(QVariant)", Args{ComValue::ofString(L"k")});
    ASSERT_TRUE(exists.ok);
    EXPECT_EQ(exists.value.type(), VT_BOOL);
    EXPECT_EQ(exists.value.toInt64(), -1);
}

TEST(DispatchDictionary, UnknownMemberFailsWithItsName) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    const DispatchReply reply = dictionary.call(L"Frobnicate (int)", Args{ComValue::ofInt(1)});
    EXPECT_FALSE(reply.ok);
    EXPECT_NE(reply.error.find(L"Frobnicate"), std::wstring::npos);
    EXPECT_EQ(reply.error.find(L"(int)"), std::wstring::npos);
}

TEST(DispatchDictionary, DuplicateKeyRaisesADescribedException) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    ASSERT_TRUE(dictionary.call(L"Add", Args{ComValue::ofString(L"k"), ComValue::ofInt(1)}).ok);
    const DispatchReply reply =
        dictionary.call(L"Add", Args{ComValue::ofString(L"k"), ComValue::ofInt(2)});
    EXPECT_FALSE(reply.ok);
    // The server's own description or, where it gives none, the text of its error code;
    // never empty.
    EXPECT_FALSE(reply.error.empty());
    EXPECT_EQ(dictionary.get(L"Count").value.toInt64(), 1);
}

TEST(DispatchDictionary, SetterNameWritesThePropertyWithTheArgumentConverted) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    // "SetCompareMode" is no member: it writes CompareMode, and the text "1" becomes the
    // enumeration's number (text compare).
    const DispatchReply set =
        dictionary.call(L"SetCompareMode (int Mode)", Args{ComValue::ofString(L"1")});
    ASSERT_TRUE(set.ok) << std::string(set.error.begin(), set.error.end());
    EXPECT_EQ(dictionary.get(L"CompareMode").value.toInt64(), 1);
    // With text compare, keys differing in letter case are one key.
    ASSERT_TRUE(dictionary.call(L"Add", Args{ComValue::ofString(L"Key"), ComValue::ofInt(1)}).ok);
    EXPECT_FALSE(dictionary.call(L"Add", Args{ComValue::ofString(L"KEY"), ComValue::ofInt(2)}).ok);
}

TEST(DispatchReferences, CopiesAndObjectValuesHoldOneReferenceEach) {
    const DispatchObject dictionary = newDictionary();
    ASSERT_FALSE(dictionary.isNull());
    const ULONG alone = referenceCount(dictionary.dispatch());
    {
        const DispatchObject copy = dictionary;
        const ComValue argument = ComValue::ofObject(dictionary.dispatch());
        EXPECT_EQ(referenceCount(dictionary.dispatch()), alone + 2);
        const ComValue copiedArgument = argument;
        EXPECT_EQ(referenceCount(dictionary.dispatch()), alone + 3);
    }
    EXPECT_EQ(referenceCount(dictionary.dispatch()), alone);
}

// Text the job passes, the type a parameter declares, and the number the value then holds.
struct ConvertCase {
    const char* name;
    const wchar_t* text;
    VARTYPE type;
    long long number;
};

TEST(ComValueConversion, TextBecomesTheDeclaredType) {
    const ConvertCase rows[] = {
        {"FalseToBoolean", L"false", VT_BOOL, 0},
        {"TrueToBoolean", L"True", VT_BOOL, -1},
        {"DigitsToLong", L"42", VT_I4, 42},
        {"DigitsToDouble", L"2.5", VT_R8, 2},
    };
    for (const ConvertCase& row : rows) {
        SCOPED_TRACE(row.name);
        ComValue value = ComValue::ofString(row.text);
        ASSERT_TRUE(value.convertTo(row.type));
        EXPECT_EQ(value.type(), row.type);
        EXPECT_EQ(static_cast<long long>(value.toDouble()), row.number);
    }
    ComValue word = ComValue::ofString(L"maybe");
    EXPECT_FALSE(word.convertTo(VT_BOOL));
    EXPECT_EQ(word.toString(), L"maybe");
}

// A member, how it is invoked, and the parameter types the type information declares.
struct TypeCase {
    const char* name;
    const wchar_t* progId;
    const wchar_t* member;
    WORD flags;
    std::vector<VARTYPE> types;
};

TEST(DispatchTypeInfo, DeclaredParameterTypesDriveTheConversion) {
    const TypeCase rows[] = {
        {"MethodBooleans",
         L"Scripting.FileSystemObject",
         L"CreateTextFile",
         DISPATCH_METHOD,
         {VT_BSTR, VT_BOOL, VT_BOOL}},
        {"EnumerationPut", L"Scripting.Dictionary", L"CompareMode", DISPATCH_PROPERTYPUT, {VT_I4}},
        {"VariantArgumentsStay",
         L"Scripting.Dictionary",
         L"Add",
         DISPATCH_METHOD,
         {VT_EMPTY, VT_EMPTY}},
        {"NoParameters", L"Scripting.Dictionary", L"Count", DISPATCH_PROPERTYGET, {}},
    };
    for (const TypeCase& row : rows) {
        SCOPED_TRACE(row.name);
        const DispatchObject object = DispatchObject::create(row.progId);
        ASSERT_FALSE(object.isNull());
        EXPECT_EQ(parameterTypes(object.dispatch(), idOf(object, row.member), row.flags),
                  row.types);
    }
}

TEST(DispatchFileSystem, SubObjectIsAnObjectWhosePropertiesRead) {
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::wstring path = std::filesystem::path(folder.path()).wstring();
    const DispatchObject files = DispatchObject::create(L"Scripting.FileSystemObject");
    ASSERT_FALSE(files.isNull());
    const DispatchReply reply = files.call(L"GetFolder(QString)", Args{ComValue::ofString(path)});
    ASSERT_TRUE(reply.ok);
    const DispatchObject sub = reply.object();
    ASSERT_FALSE(sub.isNull());
    EXPECT_EQ(sub.get(L"Name").value.toString(),
              std::filesystem::path(folder.path()).filename().wstring());
    // The text "false" for a Boolean parameter: no overwriting of an existing file.
    const std::wstring file = path + L"\\made.txt";
    EXPECT_TRUE(files.call(L"CreateTextFile", Args{ComValue::ofString(file)}).ok);
    EXPECT_FALSE(
        files.call(L"CreateTextFile", Args{ComValue::ofString(file), ComValue::ofString(L"false")})
            .ok);
    EXPECT_TRUE(files.call(L"FileExists", Args{ComValue::ofString(file)}).value.toInt64() != 0);
}

TEST(DispatchFileSystem, MissingFolderFailsWithADescription) {
    TempFolder folder;
    const DispatchObject files = DispatchObject::create(L"Scripting.FileSystemObject");
    ASSERT_FALSE(files.isNull());
    const std::wstring missing = std::filesystem::path(folder.path()).wstring() + L"\\absent";
    const DispatchReply reply = files.call(L"GetFolder", Args{ComValue::ofString(missing)});
    EXPECT_FALSE(reply.ok);
    EXPECT_TRUE(reply.object().isNull());
    EXPECT_FALSE(reply.error.empty());
}

}  // namespace
