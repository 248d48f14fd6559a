#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/model/storyformats.h"

#include <optional>

// Applies the sprms of a grpprl to the reader's property records. Sprms the reader does not use
// are skipped; malformed operands are ignored, never read past.
class DocFormatter {
public:
    // Apply the character sprms of grpprl to format. style holds the values the style chain
    // gives, the reference for the toggle operands 0x80 (as style) and 0x81 (opposite of style).
    static void applyChar(const DocBytes& grpprl, const StoryCharFormat& style,
                          StoryCharFormat& format);
    // The character style (sprmCIstd) a grpprl names, or -1 when it names none.
    static int charStyleOf(const DocBytes& grpprl);
    // Apply the paragraph sprms of grpprl to format. A sprmPHugePapx is followed into the Data
    // stream once (a huge grpprl naming another one is not followed).
    static void applyPara(const DocBytes& grpprl, const DocBytes& dataStream,
                          StoryParaFormat& format);
    // Apply the table sprms of grpprl (a row-end paragraph's) to row, following sprmPHugePapx.
    static void applyRow(const DocBytes& grpprl, const DocBytes& dataStream, StoryRowFormat& row);
    // The colour of an ico index (MS-DOC 2.9.119 Ico); none for automatic or unknown.
    static std::optional<quint32> icoColor(int ico);

private:
    static void applyParaSprms(const DocBytes& grpprl, const DocBytes& dataStream, int depth,
                               StoryParaFormat& format);
    static void applyRowSprms(const DocBytes& grpprl, const DocBytes& dataStream, int depth,
                              StoryRowFormat& row);
    static void applyRowSprm(quint16 sprm, const DocBytes& operand, StoryRowFormat& row);
    static void applyCellSprm(quint16 sprm, const DocBytes& operand, StoryRowFormat& row);
    static void defineTable(const DocBytes& operand, StoryRowFormat& row);
    static void setCellBorders(const DocBytes& operand, bool wide, StoryRowFormat& row);
    static void setShading(const DocBytes& operand, bool wide, int firstCell, StoryRowFormat& row);
    static void setTableBorders(const DocBytes& operand, bool wide, StoryRowFormat& row);
};
