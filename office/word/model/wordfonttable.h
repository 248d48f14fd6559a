#pragma once

#include <QString>

#include <vector>

// The fonts of a Word document by index, as character properties name them (the ftc of a .doc,
// the order of an RTF font table). Each reader fills it from its own format.
class WordFontTable {
public:
    // Add a font after the last one; returns its index.
    int append(const QString& name);
    // The name of font `index`, empty when unknown.
    QString name(int index) const;
    int count() const { return static_cast<int>(m_names.size()); }

private:
    std::vector<QString> m_names;
};
