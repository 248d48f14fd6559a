#pragma once

#include "office/format/cellformat.h"

#include <QString>

#include <cstddef>
#include <unordered_map>

// The nearest kept cell format, for the formats a workbook file cannot hold (beyond its
// limit of distinct formats). Nearest: the kept format that agrees with it on the longest run
// of these property groups, in the order a reader of the sheet notices them: number format,
// font (name, size, bold, italic, strike, underline, colour), fill, borders. Among equally
// near kept formats the first kept wins; a format agreeing on no group gets the first kept
// one (writers keep the default format first). A look-up costs at most four hash look-ups,
// however many formats are kept.
class FormatFallback {
public:
    // Note a format the file holds under the writer's index for it. `format` must outlive
    // this object.
    void keep(const CellFormat& format, int index);

    // The writer's index of the nearest kept format; -1 when nothing was kept.
    int nearest(const CellFormat& format) const;

    // What the user is told when `replaced` formats took the nearest of the `limit` kept.
    static QString warning(int replaced, int limit);

private:
    static constexpr int kGroups = 4;
    struct Key {
        const CellFormat* format;
        int groups;  // how many leading groups count
        bool operator==(const Key& other) const;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };

    std::unordered_map<Key, int, KeyHash> m_byPrefix;
    int m_first = -1;
};
