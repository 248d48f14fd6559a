#pragma once

#include <cstdint>
#include <string_view>

// The RTF control words the reader acts on (RTF 1.9.1). Every other word is ignored, as the
// format asks of readers; the destinations among them are listed so their text is skipped.
enum class RtfKeyword : std::uint8_t {
    Unknown,
    // Destinations read.
    Rtf,
    FontTable,
    ColorTable,
    StyleSheet,
    FieldResult,
    NestTableProps,
    Field,             // \field: a new field begins
    FieldInstruction,  // \fldinst: skipped but for a form field's data
    FormField,         // \formfield: a legacy form field's data
    FormFieldName,     // \ffname
    FormFieldEntry,    // \ffl: one entry of a drop-down
    // Destinations whose content is skipped (pictures, objects, notes, headers, ...).
    SkippedDestination,
    // Form field data.
    FormFieldType,
    FormFieldResult,
    FormFieldDefault,
    // Header.
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // Font table and colour table entries.
    Font,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // Styles.
    Style,
    CharStyle,
    TableStyle,
    BasedOn,
    // Character formatting.
    Plain,
    Bold,
    Italic,
    Strike,
    StrikeDouble,
    Underline,
    UnderlineDouble,
    UnderlineNone,
    UnderlineOther,
    FontSize,
    ColorFore,
    Highlight,
    AssocFont,
    LowAnsi,
    HighAnsi,
    DoubleByte,
    Deleted,
    // Paragraphs and special characters.
    ParagraphDefaults,
    Par,
    Line,
    Tab,
    Section,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    AlignDistribute,
    InTable,
    TableDepth,
    Cell,
    Row,
    NestCell,
    NestRow,
    EmDash,
    EnDash,
    EmSpace,
    EnSpace,
    QmSpace,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    ZeroWidthJoiner,
    ZeroWidthNonJoiner,
    LeftToRightMark,
    RightToLeftMark,
    // Table rows.
    RowDefaults,
    RowLeft,
    RowGap,
    RowHeight,
    CellBoundary,
    CellMergeFirst,
    CellMerge,
    CellVMergeFirst,
    CellVMerge,
    CellAlignTop,
    CellAlignCenter,
    CellAlignBottom,
    CellBackColor,
    CellForeColor,
    CellShading,
    CellBorderTop,
    CellBorderLeft,
    CellBorderBottom,
    CellBorderRight,
    RowBorderTop,
    RowBorderLeft,
    RowBorderBottom,
    RowBorderRight,
    RowBorderInsideH,
    RowBorderInsideV,
    ParagraphBorder,
    // Border line kinds and properties.
    BorderKind,
    BorderWidth,
    BorderColor,
};

// A control word as the reader knows it: what it does and, for BorderKind, the Word border
// type (MS-DOC brcType) it names (0 for other words).
struct RtfWord {
    RtfKeyword keyword = RtfKeyword::Unknown;
    int borderType = 0;
};

// Look a control word up; Unknown when the reader does not act on it.
RtfWord rtfKeyword(std::string_view word);
