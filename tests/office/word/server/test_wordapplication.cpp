#include "office/word/server/wordapplication.h"

#include "automation/axobject.h"
#include "automation/serverregistry.h"
#include "office/clipboard/clipboard.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

const QString kTables = QStringLiteral("tests/data/word/tables.docx");
const QString kFormatting = QStringLiteral("tests/data/word/formatting.docx");
const QString kSmall = QStringLiteral("../shared/corpus/docx/tables/Bug66988.docx");
// Binary content that is no Word container (Word opens text, so the file is not text).
const QString kNotWord = QStringLiteral("../shared/corpus/malformed/word2.doc");

// A bound built-in Word, hidden and without alerts, as the conversion job starts it.
class WordApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), createWordApplication);
        ASSERT_TRUE(m_word.setControl(QStringLiteral("Word.Application")));
        m_word.dynamicCall("SetVisible (bool Visible)", QStringLiteral("false"));
        m_word.writeProperty("DisplayAlerts", false);
        Clipboard::current().clear();
    }

    // Open a document through Documents; the document handle, or null.
    AxObject* open(const QString& path) {
        AxObject* documents = m_word.querySubObject("Documents");
        if (documents == nullptr) {
            return nullptr;
        }
        documents->dynamicCall("Open(const QString&)", path);
        delete documents;
        return m_word.querySubObject("ActiveDocument");
    }

    AxObject m_word;
};

}  // namespace

TEST_F(WordApplicationTest, ApplicationMembers) {
    EXPECT_FALSE(m_word.isNull());
    EXPECT_FALSE(m_word.runsOutOfProcess());
    EXPECT_EQ(m_word.readProperty("Visible"), QVariant(false));
    EXPECT_EQ(m_word.readProperty("DisplayAlerts"), QVariant(false));
    EXPECT_NE(m_word.querySubObject("Documents"), nullptr);
    // No document yet: neither an active document nor a selection.
    EXPECT_EQ(m_word.querySubObject("ActiveDocument"), nullptr);
    EXPECT_EQ(m_word.querySubObject("Selection"), nullptr);
    EXPECT_EQ(m_word.querySubObject("NoSuchMember"), nullptr);
}

TEST_F(WordApplicationTest, MembersMatchWithoutRegardToCase) {
    AxObject* documents = m_word.querySubObject("documents");
    ASSERT_NE(documents, nullptr);
    EXPECT_TRUE(documents->dynamicCall("OPEN(const QString&)", kTables).isValid());
    EXPECT_NE(m_word.querySubObject("activedocument"), nullptr);
}

TEST_F(WordApplicationTest, TablesCountItemAndSelectCopy) {
    AxObject* document = open(kTables);
    ASSERT_NE(document, nullptr);
    AxObject* tables = document->querySubObject("Tables");
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(tables->dynamicCall("Count()").toInt(), 3);
    EXPECT_EQ(tables->readProperty("Count").toInt(), 3);
    EXPECT_EQ(tables->querySubObject("Item(int)", 0), nullptr);
    EXPECT_EQ(tables->querySubObject("Item(int)", 4), nullptr);

    AxObject* table = tables->querySubObject("Item(int)", 2);
    ASSERT_NE(table, nullptr);
    table->dynamicCall("Select()");
    AxObject* selection = m_word.querySubObject("Selection");
    ASSERT_NE(selection, nullptr);
    selection->dynamicCall("Copy()");
    const Fragment* fragment = Clipboard::current().fragment();
    ASSERT_NE(fragment, nullptr);
    EXPECT_EQ(fragment->source, Fragment::Source::Document);
    ASSERT_EQ(fragment->rowCount, 2);
    ASSERT_EQ(fragment->columnCount, 3);
    // Row 0 starts one grid column late, row 1 ends one early.
    EXPECT_EQ(fragment->at(0, 0).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment->at(0, 1).text, QStringLiteral("s01"));
    EXPECT_EQ(fragment->at(0, 2).text, QStringLiteral("s02"));
    EXPECT_EQ(fragment->at(1, 0).text, QStringLiteral("s10"));
    EXPECT_EQ(fragment->at(1, 2).kind, FragmentCell::Kind::Empty);
}

TEST_F(WordApplicationTest, WholeStoryCopy) {
    ASSERT_NE(open(kFormatting), nullptr);
    AxObject* selection = m_word.querySubObject("Selection");
    ASSERT_NE(selection, nullptr);
    selection->dynamicCall("WholeStory()");
    selection->dynamicCall("Copy()");
    const Fragment* fragment = Clipboard::current().fragment();
    ASSERT_NE(fragment, nullptr);
    ASSERT_EQ(fragment->rowCount, 6);
    EXPECT_EQ(fragment->columnCount, 1);
    EXPECT_EQ(fragment->at(0, 0).text, QStringLiteral("Bold and plain"));
    EXPECT_EQ(fragment->at(3, 0).kind, FragmentCell::Kind::Empty);
    const CellFormat& bold = fragment->formats.at(static_cast<size_t>(fragment->at(0, 0).format));
    EXPECT_TRUE(bold.bold);
}

TEST_F(WordApplicationTest, CopyWithNothingSelectedEmptiesTheClipboard) {
    ASSERT_NE(open(kTables), nullptr);
    AxObject* selection = m_word.querySubObject("Selection");
    ASSERT_NE(selection, nullptr);
    selection->dynamicCall("WholeStory()");
    selection->dynamicCall("Copy()");
    ASSERT_NE(Clipboard::current().fragment(), nullptr);
    // A newly opened document starts with a collapsed selection: nothing to copy, and the
    // older copy must not stay behind to be pasted in its place.
    ASSERT_NE(open(kFormatting), nullptr);
    selection->dynamicCall("Copy()");
    EXPECT_EQ(Clipboard::current().fragment(), nullptr);
}

TEST_F(WordApplicationTest, FailedOpenLeavesNoActiveDocument) {
    ASSERT_NE(open(kTables), nullptr);
    AxObject* documents = m_word.querySubObject("Documents");
    ASSERT_NE(documents, nullptr);
    EXPECT_FALSE(documents->dynamicCall("Open(const QString&)", kNotWord).isValid());
    EXPECT_EQ(m_word.querySubObject("ActiveDocument"), nullptr);
    EXPECT_FALSE(
        documents->dynamicCall("Open(const QString&)", QStringLiteral("no/such.docx")).isValid());
    EXPECT_FALSE(documents->dynamicCall("Open(const QString&)", QString()).isValid());
    EXPECT_EQ(m_word.querySubObject("ActiveDocument"), nullptr);
}

TEST_F(WordApplicationTest, ClosedDocumentHandlesAreDead) {
    AxObject* document = open(kTables);
    ASSERT_NE(document, nullptr);
    AxObject* tables = document->querySubObject("Tables");
    ASSERT_NE(tables, nullptr);
    AxObject* table = tables->querySubObject("Item(int)", 1);
    ASSERT_NE(table, nullptr);
    table->dynamicCall("Select()");
    AxObject* selection = m_word.querySubObject("Selection");
    ASSERT_NE(selection, nullptr);

    document->dynamicCall("Close (Boolean)", false);
    // Every handle reads as "no object": nothing keeps the closed document alive.
    EXPECT_TRUE(document->isNull());
    EXPECT_TRUE(tables->isNull());
    EXPECT_TRUE(table->isNull());
    EXPECT_FALSE(tables->dynamicCall("Count()").isValid());
    EXPECT_EQ(m_word.querySubObject("ActiveDocument"), nullptr);
    Clipboard::current().setFragment(Fragment::sized(1, 1));
    selection->dynamicCall("Copy()");
    EXPECT_EQ(Clipboard::current().fragment(), nullptr);
}

TEST_F(WordApplicationTest, ThousandsOfDocumentsDoNotAccumulate) {
    AxObject* documents = m_word.querySubObject("Documents");
    ASSERT_NE(documents, nullptr);
    std::vector<std::weak_ptr<ServerObject>> closed;
    for (int i = 0; i < 2000; ++i) {
        AxObject* document = open(kSmall);
        ASSERT_NE(document, nullptr);
        AxObject* tables = document->querySubObject("Tables");
        ASSERT_NE(tables, nullptr);
        document->dynamicCall("Close (Boolean)", false);
        EXPECT_TRUE(tables->isNull());
        closed.push_back(document->serverObject());
        delete document;  // and its child handle `tables`
    }
    EXPECT_EQ(documents->dynamicCall("Count").toInt(), 0);
    for (const auto& handle : closed) {
        EXPECT_TRUE(handle.expired());
    }
}

TEST_F(WordApplicationTest, OpenDocumentsAndActivation) {
    AxObject* first = open(kTables);
    AxObject* second = open(kFormatting);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    AxObject* documents = m_word.querySubObject("Documents");
    EXPECT_EQ(documents->dynamicCall("Count").toInt(), 2);
    EXPECT_EQ(m_word.querySubObject("ActiveDocument")->dynamicCall("Name").toString(),
              QStringLiteral("formatting.docx"));
    second->dynamicCall("Close (Boolean)", false);
    AxObject* active = m_word.querySubObject("ActiveDocument");
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->dynamicCall("Name").toString(), QStringLiteral("tables.docx"));
    EXPECT_FALSE(first->isNull());
}

TEST_F(WordApplicationTest, QuitEndsTheApplicationAndItsObjects) {
    AxObject* document = open(kTables);
    ASSERT_NE(document, nullptr);
    AxObject* documents = m_word.querySubObject("Documents");
    m_word.dynamicCall("Quit(void)");
    EXPECT_TRUE(m_word.isNull());
    EXPECT_TRUE(document->isNull());
    EXPECT_TRUE(documents->isNull());
}

TEST_F(WordApplicationTest, EachThreadHasItsOwnClipboard) {
    ASSERT_NE(open(kTables), nullptr);
    AxObject* selection = m_word.querySubObject("Selection");
    ASSERT_NE(selection, nullptr);
    selection->dynamicCall("WholeStory()");
    selection->dynamicCall("Copy()");
    ASSERT_NE(Clipboard::current().fragment(), nullptr);
    bool otherThreadEmpty = false;
    std::thread other(
        [&otherThreadEmpty] { otherThreadEmpty = Clipboard::current().fragment() == nullptr; });
    other.join();
    EXPECT_TRUE(otherThreadEmpty);
}
