#pragma once

// FlatOpcPackage: a package held in one XML file, as Word saves a "Word XML Document" (flat
// OPC: pkg:package with one pkg:part per part, XML parts inline in pkg:xmlData, the others
// base64 in pkg:binaryData). It answers the same questions as a ZIP package, so the .docx
// reader reads it unchanged (DocxReader::readPackage).
//
// The file is parsed by libxml2 without network access, without loading external DTDs and
// without expanding entities; an XML part is handed out as its own document, its namespace
// declarations included.

#include "office/opc/opcpackage.h"

#include <QHash>

#include <memory>

struct _xmlDoc;
struct _xmlNode;

class FlatOpcPackage : public OpcPackage {
public:
    explicit FlatOpcPackage(const PackageLimits& limits);
    ~FlatOpcPackage() override;

    // Parse the file and index its parts. False when it is not well-formed XML or its root
    // is not pkg:package.
    bool open(const QByteArray& xml);

    Status readPart(const QString& name, QByteArray& out) override;

private:
    PackageLimits m_limits;
    std::unique_ptr<_xmlDoc, void (*)(_xmlDoc*)> m_doc;
    QHash<QString, _xmlNode*> m_parts;  // pkg:part elements by lower-case name
};
