#pragma once

#include "office/word/model/storyformats.h"
#include "office/word/rtf/rtfkeywords.h"

#include <vector>

// Gathers one table row's definition from its control words (\trowd, \trleft, \cellx and the
// cell and border words before each \cellx) into the row record of Word's property records
// (storyformats.h) that the .doc reader fills too, so both share one table builder. RTF row
// definitions are Word's table properties written as words: \cellxN is a right cell boundary,
// \clmgf/\clmrg the horizontal merge flags, \clvmgf/\clvmrg the vertical ones.
class RtfRowBuilder {
public:
    // Colours of the document's colour table by index; < 0 for "automatic".
    using ColorTable = std::vector<qint64>;

    explicit RtfRowBuilder(int maxCells) : m_maxCells(maxCells) { reset(); }
    // Not copyable: the border target points into the builder itself.
    RtfRowBuilder(const RtfRowBuilder&) = delete;
    RtfRowBuilder& operator=(const RtfRowBuilder&) = delete;

    // Start a new row definition (\trowd): no cells, left edge 0, no borders or height.
    void reset();
    // Apply a row, cell or border word. False only when the row would exceed the cell limit.
    bool apply(RtfKeyword keyword, int parameter, int borderType, const ColorTable& colors);
    // Stop sending border words to a cell or row side (a paragraph border began).
    void endBorder() { m_border = nullptr; }

    // The row as defined so far; cells start at boundaries[0] (\trleft).
    const StoryRowFormat& row() const { return m_row; }

private:
    void addCell(int boundary, const ColorTable& colors);
    void setBorder(StoryBorder& border);
    bool applyCell(RtfKeyword keyword, int parameter);
    bool applyBorder(RtfKeyword keyword, int parameter, int borderType, const ColorTable& colors);

    StoryRowFormat m_row;
    StoryCellFormat m_cell;           // the cell whose \cellx has not come yet
    int m_backColor = -1;             // \clcbpat: colour index of the cell's ground
    int m_foreColor = -1;             // \clcfpat: colour index of the cell's pattern
    int m_shading = 0;                // \clshdng: pattern coverage in hundredths of a percent
    StoryBorder* m_border = nullptr;  // where \brdr* words go; points into m_row or m_cell
    int m_maxCells;
};
