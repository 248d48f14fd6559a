#pragma once

#include "office/word/doc/docbytes.h"

#include <QString>
#include <QVector>

// The font table of a Word binary document: SttbfFfn (MS-DOC 2.9.283) of FFN records (2.9.82),
// indexed by the ftc values of character properties.
class DocFontTable {
public:
    // Read the table; malformed entries end it (the fonts read so far are kept).
    void parse(const DocBytes& sttbfFfn);
    // Add a font after the last one (readers whose font table is not an SttbfFfn); returns
    // its index.
    int append(const QString& name);
    // The name of font ftc, empty when unknown.
    QString name(int ftc) const;
    int count() const { return m_names.size(); }

private:
    QVector<QString> m_names;
};
