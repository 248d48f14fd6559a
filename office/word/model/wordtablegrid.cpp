#include "office/word/model/wordtablegrid.h"

#include <algorithm>
#include <tuple>

/* Walk every edge from left to right, opening a new line past the tolerance or when the row
   already has an edge on the current line. */
WordTableGrid::WordTableGrid(const std::vector<std::vector<int>>& rowEdges)
    : m_lines(rowEdges.size()) {
    std::vector<std::tuple<int, size_t, size_t>> edges;  // position, row, edge
    for (size_t r = 0; r < rowEdges.size(); ++r) {
        m_lines[r].resize(rowEdges[r].size());
        for (size_t e = 0; e < rowEdges[r].size(); ++e) {
            edges.emplace_back(rowEdges[r][e], r, e);
        }
    }
    std::sort(edges.begin(), edges.end());
    std::vector<int> lineOfRow(rowEdges.size(), -1);  // the row's latest line
    std::vector<int> starts;                          // first position of each line
    for (const auto& [position, row, edge] : edges) {
        const int current = static_cast<int>(starts.size()) - 1;
        if (current < 0 || position - starts.back() > kTolerance || lineOfRow[row] == current) {
            starts.push_back(position);
        }
        const int line = static_cast<int>(starts.size()) - 1;
        m_lines[row][edge] = line;
        lineOfRow[row] = line;
    }
    for (size_t i = 1; i < starts.size(); ++i) {
        m_columnTwips.push_back(starts[i] - starts[i - 1]);
    }
}
