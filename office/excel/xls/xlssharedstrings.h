#pragma once

#include "office/excel/xls/xlsrecordwriter.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

// The shared string table of a workbook being written: every distinct cell text once, in
// order of first use, and the number of cells that refer to a string.
//
// write() emits SST (MS-XLS 2.4.265) with the CONTINUE records its size needs, split by the
// rules for XLUnicodeRichExtendedString: a string's header never splits, character data
// splits only between characters and each continued part starts with its fHighByte flag;
// then EXTSST (MS-XLS 2.4.107) pointing into the stream positions just written.
class XlsSharedStrings {
public:
    // Make room for about `count` distinct strings (saves rehashing on large workbooks).
    void reserve(int count);
    // The index of `text`, adding it on first use; counts one more reference.
    std::uint32_t add(const QString& text);

    int uniqueCount() const { return static_cast<int>(m_strings.size()); }
    std::uint32_t referenceCount() const { return m_references; }
    const QString& at(int index) const { return m_strings[static_cast<size_t>(index)]; }

    // Write SST, its CONTINUE records and EXTSST at the writer's position.
    void write(XlsRecordWriter& out) const;

    // Strings per EXTSST bucket for `unique` strings: max(unique / 128 + 1, 8).
    static int bucketSize(int unique);

private:
    QHash<QString, std::uint32_t> m_index;
    std::vector<QString> m_strings;
    std::uint32_t m_references = 0;
};
