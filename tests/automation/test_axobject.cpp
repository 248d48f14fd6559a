#include "automation/axhandle.h"
#include "automation/axobject.h"
#include "automation/serverregistry.h"

#include <gtest/gtest.h>

namespace {

// A server object that remembers the last call and can be closed.
class Probe : public ServerObject {
public:
    ServerReply invoke(const ServerCall& call) override {
        last = call;
        if (call.is("Child")) {
            child = std::make_shared<Probe>();
            return ServerReply::ofObject(child);
        }
        if (call.is("Nothing")) {
            return ServerReply::failure();
        }
        if (call.is("Count")) {
            return ServerReply::ofValue(count);
        }
        if (call.is("Take")) {
            received = serverObjectFromVariant(call.arg(0));
            return ServerReply::done();
        }
        return ServerReply::ofValue(call.args.size());
    }
    bool isAlive() const override { return alive; }

    ServerCall last;
    bool alive = true;
    QVariant count = 7;
    std::shared_ptr<Probe> child;
    ServerObjectPtr received;
};

class AxObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = std::make_shared<Probe>();
        auto shared = probe;
        ServerRegistry::registerServer(QStringLiteral("Probe.Application"),
                                       [shared]() { return shared; });
    }
    void TearDown() override {
        ServerRegistry::unregisterServer(QStringLiteral("Probe.Application"));
    }

    std::shared_ptr<Probe> probe;
};

TEST_F(AxObjectTest, MemberNameIsTextBeforeParenthesisTrimmed) {
    const ServerCall call = ServerCall::make(QStringLiteral("Close (Boolean)"), CallKind::Method,
                                             {false, QVariant(), QVariant()});
    EXPECT_EQ(call.name, QStringLiteral("Close"));
    EXPECT_EQ(call.member, QStringLiteral("Close (Boolean)"));
    EXPECT_EQ(call.args.size(), 1);
    EXPECT_TRUE(call.is("close"));
    EXPECT_TRUE(
        ServerCall::make(QStringLiteral("WorkBooks"), CallKind::SubObject, {}).is("Workbooks"));
    EXPECT_FALSE(call.arg(3).isValid());
}

TEST_F(AxObjectTest, BindsByIdentifierIgnoringCaseAndKeepsTheBinding) {
    AxObject object;
    EXPECT_TRUE(object.isNull());
    ASSERT_TRUE(object.setControl(QStringLiteral("probe.application")));
    EXPECT_FALSE(object.isNull());
    const ServerObjectPtr first = object.serverObject();
    EXPECT_TRUE(object.setControl(QStringLiteral("Probe.Application")));
    EXPECT_EQ(object.serverObject(), first);
    EXPECT_FALSE(object.runsOutOfProcess());
}

TEST_F(AxObjectTest, UnknownIdentifierGivesANullHandleThatAnswersNothing) {
    AxObject object;
    EXPECT_FALSE(object.setControl(QStringLiteral("Nobody.Application")));
    EXPECT_TRUE(object.isNull());
    EXPECT_FALSE(object.dynamicCall("Quit(void)").isValid());
    EXPECT_EQ(object.querySubObject("Documents"), nullptr);
    EXPECT_FALSE(object.readProperty("Count").isValid());
    EXPECT_FALSE(object.writeProperty("DisplayAlerts", false));
    EXPECT_FALSE(object.asVariant().isValid());
}

TEST_F(AxObjectTest, DynamicCallPassesTenArgumentsAndTheExactMember) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    const char* member =
        "TextToColumns(QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,"
        "QVariant,QVariant)";
    const QVariant answer =
        object.dynamicCall(member, 1, 2, 3, 4, 5, 6, 7, 8, 9, QStringLiteral("|"));
    EXPECT_EQ(answer.toInt(), 10);
    EXPECT_EQ(probe->last.member, QString::fromLatin1(member));
    EXPECT_EQ(probe->last.arg(9).toString(), QStringLiteral("|"));
    EXPECT_EQ(probe->last.kind, CallKind::Method);
}

TEST_F(AxObjectTest, PropertiesReadAndWriteWithTheirKinds) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    EXPECT_EQ(object.readProperty("Count").toInt(), 7);
    EXPECT_EQ(probe->last.kind, CallKind::PropertyGet);
    EXPECT_TRUE(object.writeProperty("Name", QStringLiteral("Sheet1")));
    EXPECT_EQ(probe->last.kind, CallKind::PropertySet);
    EXPECT_EQ(probe->last.arg(0).toString(), QStringLiteral("Sheet1"));
}

TEST_F(AxObjectTest, SubObjectIsAChildHandleAndFailureIsNull) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    AxObject* child = object.querySubObject("Child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parent(), &object);
    EXPECT_EQ(probe->last.kind, CallKind::SubObject);
    EXPECT_EQ(object.querySubObject("Nothing"), nullptr);
}

TEST_F(AxObjectTest, HandleOfAClosedObjectReadsAsNoObject) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    AxHandle child = subObject(&object, "Child");
    ASSERT_TRUE(child);
    EXPECT_EQ(child->parent(), nullptr);
    probe->child->alive = false;
    EXPECT_TRUE(child->isNull());
    EXPECT_FALSE(child->dynamicCall("Anything").isValid());
    EXPECT_FALSE(child->asVariant().isValid());
}

TEST_F(AxObjectTest, ObjectsTravelAsArguments) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    AxHandle child = subObject(&object, "Child");
    ASSERT_TRUE(child);
    object.dynamicCall("Take(QVariant)", child->asVariant());
    EXPECT_EQ(probe->received, probe->child);
    probe->child->alive = false;
    object.dynamicCall("Take(QVariant)", QVariant::fromValue(ServerObjectRef{probe->child}));
    EXPECT_EQ(probe->received, nullptr);
}

TEST_F(AxObjectTest, HelpersDoNothingThroughMissingObjects) {
    EXPECT_EQ(subObject(nullptr, "Sheets"), nullptr);
    EXPECT_FALSE(callOn(nullptr, "Paste()").isValid());
    EXPECT_FALSE(callWith(nullptr, "TextToColumns", {1, 2}).isValid());
    EXPECT_EQ(readCount(nullptr, "Count()"), 0);
}

TEST_F(AxObjectTest, CountsThatAreNotNumbersCountAsZero) {
    AxObject object;
    object.setControl(QStringLiteral("Probe.Application"));
    EXPECT_EQ(readCount(&object, "Count", true), 7);
    probe->count = QStringLiteral("many");
    EXPECT_EQ(readCount(&object, "Count", true), 0);
    probe->count = -3;
    EXPECT_EQ(readCount(&object, "Count()"), 0);
}

TEST_F(AxObjectTest, RegistryForgetsUnregisteredIdentifiers) {
    EXPECT_TRUE(ServerRegistry::isRegistered(QStringLiteral("PROBE.APPLICATION")));
    ServerRegistry::unregisterServer(QStringLiteral("Probe.Application"));
    EXPECT_FALSE(ServerRegistry::isRegistered(QStringLiteral("Probe.Application")));
    EXPECT_EQ(ServerRegistry::create(QStringLiteral("Probe.Application")), nullptr);
}

}  // namespace
