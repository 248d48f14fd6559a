#include "office/xml/xmlreader.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>

namespace {

/* The texts of every element named `t`, in order, and whether the reader failed. */
QStringList texts(const QByteArray& xml, bool* failed = nullptr) {
    XmlReader reader(xml);
    QStringList found;
    // Depth-first walk over the whole input.
    std::function<void()> walk = [&]() {
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("t")) {
                found << reader.readElementText();
            } else {
                walk();
            }
        }
    };
    walk();
    if (failed != nullptr) {
        *failed = reader.hasError();
    }
    return found;
}

}  // namespace

TEST(XmlReader, ElementsAttributesAndNamespaces) {
    XmlReader reader(
        "<?xml version=\"1.0\"?><a:root xmlns:a=\"urn:a\" xmlns=\"urn:default\"><child x=\"1\" "
        "a:y='two' /><a:other xmlns:a=\"urn:inner\"/><a:last/></a:root>");
    const int idA = reader.registerNamespace(QLatin1String("urn:a"));
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.name(), QLatin1String("root"));
    EXPECT_EQ(reader.namespaceUri(), QLatin1String("urn:a"));
    EXPECT_EQ(reader.namespaceId(), idA);
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.name(), QLatin1String("child"));
    EXPECT_EQ(reader.namespaceUri(), QLatin1String("urn:default"));
    EXPECT_EQ(reader.namespaceId(), -1);
    EXPECT_EQ(reader.attribute(QLatin1String("x")), QStringLiteral("1"));
    const QLatin1String onlyA[] = {QLatin1String("urn:a")};
    const QLatin1String onlyB[] = {QLatin1String("urn:b")};
    EXPECT_EQ(reader.attribute(QLatin1String("y"), onlyA, 1), QStringLiteral("two"));
    EXPECT_TRUE(reader.attribute(QLatin1String("y"), onlyB, 1).isNull());
    EXPECT_TRUE(reader.attribute(QLatin1String("missing")).isNull());
    EXPECT_FALSE(reader.readNextStartElement());  // the end of the self-closing child
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.namespaceUri(), QLatin1String("urn:inner"));  // redeclared prefix
    reader.skipCurrentElement();
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_EQ(reader.namespaceUri(), QLatin1String("urn:a"));  // the inner binding ended
    reader.skipCurrentElement();
    EXPECT_FALSE(reader.readNextStartElement());
    EXPECT_FALSE(reader.hasError());
}

TEST(XmlReader, IntegerAttributesAreReadOnlyWhenPlainDigits) {
    XmlReader reader(
        "<r xmlns:w=\"urn:w\" w:a=\"864\" b=\"-3\" c=\" 7\" d=\"1e3\" e=\"\" "
        "f=\"999999999\" g=\"1000000000\" h=\"&#56;\" w:i=\"5\"/>");
    const QLatin1String w("urn:w");
    ASSERT_TRUE(reader.readNextStartElement());
    int value = -1;
    EXPECT_TRUE(reader.integerAttribute(QLatin1String("a"), value, &w, 1));
    EXPECT_EQ(value, 864);
    EXPECT_TRUE(reader.integerAttribute(QLatin1String("f"), value));
    EXPECT_EQ(value, 999999999);
    value = -1;
    // Signs, spaces, exponents, empty and over-long values and references are left to
    // attribute(), and the value is not touched.
    for (const char* name : {"b", "c", "d", "e", "g", "h", "missing"}) {
        EXPECT_FALSE(reader.integerAttribute(QLatin1String(name), value)) << name;
    }
    EXPECT_EQ(value, -1);
    EXPECT_EQ(reader.attribute(QLatin1String("h")), QStringLiteral("8"));
    // An attribute in another namespace than the ones asked for is not found.
    const QLatin1String other("urn:other");
    EXPECT_FALSE(reader.integerAttribute(QLatin1String("i"), value, &other, 1));
    EXPECT_TRUE(reader.integerAttribute(QLatin1String("i"), value, &w, 1));
    EXPECT_EQ(value, 5);
}

TEST(XmlReader, AttributeComparisonDecodesReferences) {
    XmlReader reader("<r a=\"dxa\" b=\"d&#120;a\" c=\"\" d=\"dxa \"/>");
    ASSERT_TRUE(reader.readNextStartElement());
    EXPECT_TRUE(reader.attributeIs(QLatin1String("a"), QLatin1String("dxa")));
    EXPECT_TRUE(reader.attributeIs(QLatin1String("b"), QLatin1String("dxa")));
    EXPECT_TRUE(reader.attributeIs(QLatin1String("c"), QLatin1String("")));
    EXPECT_FALSE(reader.attributeIs(QLatin1String("d"), QLatin1String("dxa")));
    EXPECT_FALSE(reader.attributeIs(QLatin1String("a"), QLatin1String("dx")));
    EXPECT_FALSE(reader.attributeIs(QLatin1String("missing"), QLatin1String("")));
}

TEST(XmlReader, TextEntitiesCdataCommentsAndInstructions) {
    bool failed = true;
    const QStringList found = texts(
        "<r><t>a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos; &#65;&#x42;&#x1F600;</t><!-- "
        "<t>no</t> "
        "--><?pi <t>no</t>?><t><![CDATA[<raw> &amp;]]> tail</t><t>\xE4\xB8\xAD\xE6\x96\x87</t>"
        "<t>bare & amp</t><t/></r>",
        &failed);
    EXPECT_FALSE(failed);
    ASSERT_EQ(found.size(), 5);
    EXPECT_EQ(found[0], QString::fromUtf8("a <b> & \"c\" 'd' AB\xF0\x9F\x98\x80"));
    EXPECT_EQ(found[1], QStringLiteral("<raw> &amp; tail"));
    EXPECT_EQ(found[2], QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"));
    EXPECT_EQ(found[3], QStringLiteral("bare & amp"));
    EXPECT_EQ(found[4], QString());
}

TEST(XmlReader, DeclaredEntitiesAreNeverExpanded) {
    bool failed = true;
    const QStringList found = texts(
        "<!DOCTYPE r [<!ENTITY big \"aaaaaaaaaa\"><!ENTITY ext SYSTEM "
        "\"http://example.invalid/x\">]>"
        "<r><t>[&big;&ext;]</t></r>",
        &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(found, QStringList{QStringLiteral("[]")});
}

TEST(XmlReader, Utf16WithByteOrderMark) {
    const QString xml = QStringLiteral("<r><t>\u00FCber</t></r>");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2);
    EXPECT_EQ(texts(bytes), QStringList{QStringLiteral("\u00FCber")});
    EXPECT_EQ(texts("\xEF\xBB\xBF<r><t>bom</t></r>"), QStringList{QStringLiteral("bom")});
    EXPECT_EQ(texts("<r><t>spaced</t \n></r >"), QStringList{QStringLiteral("spaced")});
}

struct BadXml {
    const char* name;
    const char* xml;
};

class DocxXmlReaderBad : public ::testing::TestWithParam<BadXml> {};

TEST_P(DocxXmlReaderBad, StopsWithAnError) {
    bool failed = false;
    texts(GetParam().xml, &failed);
    EXPECT_TRUE(failed);
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, DocxXmlReaderBad,
    ::testing::Values(
        BadXml{"mismatched_end", "<r><t>x</u></r>"}, BadXml{"longer_end_name", "<r><t>x</tt></r>"},
        BadXml{"cut_end_tag", "<r><t>x</t"}, BadXml{"cut_end_name", "<r><tt>x</t"},
        BadXml{"premature_end", "<r><t>x"}, BadXml{"unterminated_tag", "<r><t a=\"1\""},
        BadXml{"unquoted_attribute", "<r a=1/>"}, BadXml{"attribute_without_value", "<r a/>"},
        BadXml{"lt_in_attribute", "<r a=\"<\"/>"}, BadXml{"unterminated_comment", "<r><!-- x</r>"},
        BadXml{"unterminated_cdata", "<r><![CDATA[x</r>"}, BadXml{"stray_end", "</r>"},
        BadXml{"empty_name", "<r>< t/></r>"}, BadXml{"unknown_declaration", "<r><!ELEMENT x></r>"}),
    [](const ::testing::TestParamInfo<BadXml>& param) { return std::string(param.param.name); });

TEST(XmlReader, NestingLimit) {
    QByteArray deep;
    for (int i = 0; i < 50; ++i) {
        deep += "<a>";
    }
    for (int i = 0; i < 50; ++i) {
        deep += "</a>";
    }
    XmlReader shallow(deep, 10);
    while (shallow.readNextStartElement()) {
    }
    EXPECT_TRUE(shallow.hasError());
    bool failed = true;
    texts(deep, &failed);
    EXPECT_FALSE(failed);
}

TEST(XmlReader, ErrorLineNumber) {
    XmlReader reader("<r>\n<a>\n</b></r>");
    while (reader.readNextStartElement()) {
    }
    EXPECT_TRUE(reader.hasError());
    EXPECT_FALSE(reader.errorString().isEmpty());
    EXPECT_EQ(reader.lineNumber(), 3);
}

TEST(XmlReaderHostile, ManyDeclaredPrefixesResolveAtOnceAndUnwindWithTheirElements) {
    // 300,000 prefixes on the root, each element then looked up among them: a lookup that
    // scanned the declarations would take minutes.
    const int prefixes = 300000;
    QByteArray xml = "<r";
    for (int i = 0; i < prefixes; ++i) {
        xml += " xmlns:p" + QByteArray::number(i) + "=\"urn:" + QByteArray::number(i) + '"';
    }
    xml += "><p0:a/><p299999:a xmlns:p299999=\"urn:inner\"/><p299999:b/>";
    for (int i = 0; i < 20000; ++i) {
        xml += "<p0:c/>";
    }
    xml += "</r>";
    XmlReader reader(xml);
    ASSERT_TRUE(reader.readNextStartElement());
    const QStringList expected = {QStringLiteral("urn:0"), QStringLiteral("urn:inner"),
                                  QStringLiteral("urn:299999")};
    QStringList found;
    int others = 0;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("c")) {
            others += reader.namespaceUri() == QLatin1String("urn:0") ? 1 : 0;
        } else {
            found << QString(reader.namespaceUri());
        }
        reader.skipCurrentElement();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(found, expected);
    EXPECT_EQ(others, 20000);
}
