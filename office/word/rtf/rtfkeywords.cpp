#include "office/word/rtf/rtfkeywords.h"

#include <array>
#include <utility>

namespace {

using K = RtfKeyword;

// The words in an open-addressing table with a cheap hash: every control word of a document is
// looked up, so the lookup is kept to a few loads and one comparison.
constexpr std::size_t kSlots = 1024;

struct Slot {
    std::string_view word;
    RtfWord entry;
};

/* A hash of a control word from its length and three of its letters. */
std::size_t wordHash(std::string_view word) {
    const auto at = [&word](std::size_t i) {
        return std::size_t(static_cast<unsigned char>(word[i]));
    };
    return (word.size() * 131 + at(0) * 31 + at(word.size() - 1) * 7 + at(word.size() / 2)) %
           kSlots;
}

// The known words with their keywords.
constexpr std::pair<std::string_view, RtfWord> kWords[] = {
    {"rtf", {K::Rtf, 0}},
    {"fonttbl", {K::FontTable, 0}},
    {"colortbl", {K::ColorTable, 0}},
    {"stylesheet", {K::StyleSheet, 0}},
    {"fldrslt", {K::FieldResult, 0}},
    {"nesttableprops", {K::NestTableProps, 0}},
    {"field", {K::Field, 0}},
    {"fldinst", {K::FieldInstruction, 0}},
    {"formfield", {K::FormField, 0}},
    {"ffname", {K::FormFieldName, 0}},
    {"ffl", {K::FormFieldEntry, 0}},
    {"fftype", {K::FormFieldType, 0}},
    {"ffres", {K::FormFieldResult, 0}},
    {"ffdefres", {K::FormFieldDefault, 0}},
    // Destinations not part of the main story's text (notes, headers, pictures, objects,
    // shapes, field instructions, bookmarks, numbering text, document information).
    {"pict", {K::SkippedDestination, 0}},
    {"object", {K::SkippedDestination, 0}},
    {"shp", {K::SkippedDestination, 0}},
    {"shpinst", {K::SkippedDestination, 0}},
    {"shppict", {K::SkippedDestination, 0}},
    {"nonshppict", {K::SkippedDestination, 0}},
    {"shptxt", {K::SkippedDestination, 0}},
    {"footnote", {K::SkippedDestination, 0}},
    {"annotation", {K::SkippedDestination, 0}},
    {"atnid", {K::SkippedDestination, 0}},
    {"atnauthor", {K::SkippedDestination, 0}},
    {"header", {K::SkippedDestination, 0}},
    {"headerl", {K::SkippedDestination, 0}},
    {"headerr", {K::SkippedDestination, 0}},
    {"headerf", {K::SkippedDestination, 0}},
    {"footer", {K::SkippedDestination, 0}},
    {"footerl", {K::SkippedDestination, 0}},
    {"footerr", {K::SkippedDestination, 0}},
    {"footerf", {K::SkippedDestination, 0}},
    {"info", {K::SkippedDestination, 0}},
    {"listtable", {K::SkippedDestination, 0}},
    {"listoverridetable", {K::SkippedDestination, 0}},
    {"listtext", {K::SkippedDestination, 0}},
    {"pntext", {K::SkippedDestination, 0}},
    {"pntxta", {K::SkippedDestination, 0}},
    {"pntxtb", {K::SkippedDestination, 0}},
    {"nonesttables", {K::SkippedDestination, 0}},
    {"revtbl", {K::SkippedDestination, 0}},
    {"filetbl", {K::SkippedDestination, 0}},
    {"xe", {K::SkippedDestination, 0}},
    {"tc", {K::SkippedDestination, 0}},
    {"txe", {K::SkippedDestination, 0}},
    {"rxe", {K::SkippedDestination, 0}},
    {"bkmkstart", {K::SkippedDestination, 0}},
    {"bkmkend", {K::SkippedDestination, 0}},
    {"template", {K::SkippedDestination, 0}},
    {"do", {K::SkippedDestination, 0}},
    {"sp", {K::SkippedDestination, 0}},
    {"datafield", {K::SkippedDestination, 0}},
    {"ansicpg", {K::AnsiCodePage, 0}},
    {"deff", {K::DefaultFont, 0}},
    {"uc", {K::UnicodeSkip, 0}},
    {"u", {K::Unicode, 0}},
    {"f", {K::Font, 0}},
    {"fcharset", {K::FontCharset, 0}},
    {"cpg", {K::FontCodePage, 0}},
    {"red", {K::Red, 0}},
    {"green", {K::Green, 0}},
    {"blue", {K::Blue, 0}},
    {"s", {K::Style, 0}},
    {"cs", {K::CharStyle, 0}},
    {"ts", {K::TableStyle, 0}},
    {"ds", {K::TableStyle, 0}},
    {"sbasedon", {K::BasedOn, 0}},
    {"plain", {K::Plain, 0}},
    {"b", {K::Bold, 0}},
    {"i", {K::Italic, 0}},
    {"strike", {K::Strike, 0}},
    {"striked", {K::StrikeDouble, 0}},
    {"ul", {K::Underline, 0}},
    {"uldb", {K::UnderlineDouble, 0}},
    {"ulnone", {K::UnderlineNone, 0}},
    {"uld", {K::UnderlineOther, 0}},
    {"uldash", {K::UnderlineOther, 0}},
    {"uldashd", {K::UnderlineOther, 0}},
    {"uldashdd", {K::UnderlineOther, 0}},
    {"ulth", {K::UnderlineOther, 0}},
    {"ulw", {K::UnderlineOther, 0}},
    {"ulwave", {K::UnderlineOther, 0}},
    {"fs", {K::FontSize, 0}},
    {"cf", {K::ColorFore, 0}},
    {"highlight", {K::Highlight, 0}},
    {"af", {K::AssocFont, 0}},
    {"loch", {K::LowAnsi, 0}},
    {"hich", {K::HighAnsi, 0}},
    {"dbch", {K::DoubleByte, 0}},
    {"deleted", {K::Deleted, 0}},
    {"pard", {K::ParagraphDefaults, 0}},
    {"par", {K::Par, 0}},
    {"line", {K::Line, 0}},
    {"lbr", {K::Line, 0}},
    {"tab", {K::Tab, 0}},
    {"sect", {K::Section, 0}},
    {"ql", {K::AlignLeft, 0}},
    {"qc", {K::AlignCenter, 0}},
    {"qr", {K::AlignRight, 0}},
    {"qj", {K::AlignJustify, 0}},
    {"qd", {K::AlignDistribute, 0}},
    {"qt", {K::AlignDistribute, 0}},
    {"intbl", {K::InTable, 0}},
    {"itap", {K::TableDepth, 0}},
    {"cell", {K::Cell, 0}},
    {"row", {K::Row, 0}},
    {"nestcell", {K::NestCell, 0}},
    {"nestrow", {K::NestRow, 0}},
    {"emdash", {K::EmDash, 0}},
    {"endash", {K::EnDash, 0}},
    {"emspace", {K::EmSpace, 0}},
    {"enspace", {K::EnSpace, 0}},
    {"qmspace", {K::QmSpace, 0}},
    {"bullet", {K::Bullet, 0}},
    {"lquote", {K::LeftQuote, 0}},
    {"rquote", {K::RightQuote, 0}},
    {"ldblquote", {K::LeftDoubleQuote, 0}},
    {"rdblquote", {K::RightDoubleQuote, 0}},
    {"zwj", {K::ZeroWidthJoiner, 0}},
    {"zwnj", {K::ZeroWidthNonJoiner, 0}},
    {"ltrmark", {K::LeftToRightMark, 0}},
    {"rtlmark", {K::RightToLeftMark, 0}},
    {"trowd", {K::RowDefaults, 0}},
    {"trleft", {K::RowLeft, 0}},
    {"trgaph", {K::RowGap, 0}},
    {"trrh", {K::RowHeight, 0}},
    {"cellx", {K::CellBoundary, 0}},
    {"clmgf", {K::CellMergeFirst, 0}},
    {"clmrg", {K::CellMerge, 0}},
    {"clvmgf", {K::CellVMergeFirst, 0}},
    {"clvmrg", {K::CellVMerge, 0}},
    {"clvertalt", {K::CellAlignTop, 0}},
    {"clvertalc", {K::CellAlignCenter, 0}},
    {"clvertalb", {K::CellAlignBottom, 0}},
    {"clcbpat", {K::CellBackColor, 0}},
    {"clcfpat", {K::CellForeColor, 0}},
    {"clshdng", {K::CellShading, 0}},
    {"clbrdrt", {K::CellBorderTop, 0}},
    {"clbrdrl", {K::CellBorderLeft, 0}},
    {"clbrdrb", {K::CellBorderBottom, 0}},
    {"clbrdrr", {K::CellBorderRight, 0}},
    {"trbrdrt", {K::RowBorderTop, 0}},
    {"trbrdrl", {K::RowBorderLeft, 0}},
    {"trbrdrb", {K::RowBorderBottom, 0}},
    {"trbrdrr", {K::RowBorderRight, 0}},
    {"trbrdrh", {K::RowBorderInsideH, 0}},
    {"trbrdrv", {K::RowBorderInsideV, 0}},
    {"brdrt", {K::ParagraphBorder, 0}},
    {"brdrl", {K::ParagraphBorder, 0}},
    {"brdrb", {K::ParagraphBorder, 0}},
    {"brdrr", {K::ParagraphBorder, 0}},
    {"brdrbtw", {K::ParagraphBorder, 0}},
    {"brdrbar", {K::ParagraphBorder, 0}},
    {"box", {K::ParagraphBorder, 0}},
    // Border kinds with their Word border types (MS-DOC 2.9.16 brcType).
    {"brdrnone", {K::BorderKind, 0}},
    {"brdrnil", {K::BorderKind, 0}},
    {"brdrs", {K::BorderKind, 1}},
    {"brdrth", {K::BorderKind, 2}},
    {"brdrdb", {K::BorderKind, 3}},
    {"brdrhair", {K::BorderKind, 5}},
    {"brdrdot", {K::BorderKind, 6}},
    {"brdrdash", {K::BorderKind, 7}},
    {"brdrdashd", {K::BorderKind, 8}},
    {"brdrdashdd", {K::BorderKind, 9}},
    {"brdrtriple", {K::BorderKind, 10}},
    {"brdrwavy", {K::BorderKind, 20}},
    {"brdrdashsm", {K::BorderKind, 22}},
    {"brdrw", {K::BorderWidth, 0}},
    {"brdrcf", {K::BorderColor, 0}},
};

/* The table of known words, built once. */
const std::array<Slot, kSlots>& table() {
    static const std::array<Slot, kSlots> slots = [] {
        std::array<Slot, kSlots> built{};
        for (const auto& [word, entry] : kWords) {
            std::size_t at = wordHash(word);
            while (!built[at].word.empty()) {
                at = (at + 1) % kSlots;
            }
            built[at] = Slot{word, entry};
        }
        return built;
    }();
    return slots;
}

}  // namespace

/* Find the word in the table. */
RtfWord rtfKeyword(std::string_view word) {
    if (word.empty()) {
        return RtfWord();
    }
    const auto& slots = table();
    for (std::size_t at = wordHash(word);; at = (at + 1) % kSlots) {
        const Slot& slot = slots[at];
        if (slot.word.empty()) {
            return RtfWord();
        }
        if (slot.word == word) {
            return slot.entry;
        }
    }
}
