#pragma once

#include "office/excel/xlsx/xmlsink.h"

// The document property parts: docProps/core.xml (ECMA-376 Part 2, 11), whose only property
// is the creator, and docProps/app.xml (ECMA-376 Part 1, 22.2), the application name.
class XlsxDocPropsPart {
public:
    static void writeCore(XmlSink& out);
    static void writeApp(XmlSink& out);
};
