#pragma once

#include <cstddef>
#include <vector>

// The column grid of a .doc or RTF table, laid out from the cell edges of its rows (rgdxaCenter,
// twips). Edges of different rows that lie within kTolerance twips of the first edge of a grid
// line share that line, so rows whose boundaries were all shifted by a twip or two give the
// grid Word shows, not one column per shift. Two edges of one row never share a line: every
// cell keeps at least one grid column.
class WordTableGrid {
public:
    // Boundaries this close are one line. Word keeps no column narrower than 2 points
    // (40 twips: the cell margins plus two points, MS-OI29500 on gridCol) and its metric width
    // fields step by 0.1 mm (about 5.7 twips), so edges 4 twips apart are one line to anyone
    // working in Word, while every column a user can make stays a column of its own.
    static constexpr int kTolerance = 4;

    // Lay out `rowEdges`: for each row its cell edges, strictly increasing. Rows may be empty.
    explicit WordTableGrid(const std::vector<std::vector<int>>& rowEdges);

    // Width in twips of each grid column, left to right (never below 1).
    const std::vector<int>& columnTwips() const { return m_columnTwips; }
    int columnCount() const { return static_cast<int>(m_columnTwips.size()); }
    // Grid line (0 = the leftmost) of edge `edge` of row `row`; lines rise along a row.
    int line(std::size_t row, std::size_t edge) const { return m_lines[row][edge]; }

private:
    std::vector<int> m_columnTwips;
    std::vector<std::vector<int>> m_lines;
};
