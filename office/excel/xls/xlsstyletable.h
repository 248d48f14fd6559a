#pragma once

#include "office/format/cellformat.h"
#include "office/format/result.h"
#include "office/excel/xls/xlspalette.h"
#include "office/excel/xls/xlsrecordwriter.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// The formatting records of a BIFF8 workbook being written: FONT (MS-XLS 2.4.122), FORMAT
// (2.4.126), XF (2.4.353), STYLE (2.4.269) and the PALETTE (2.4.188) the colours need.
//
// Use: noteColors() for every cell format the sheets use, assignColors() once, then xfFor()
// for each of them. Equal records are written once: cell formats that differ only in what
// BIFF8 cannot tell apart (colours mapped to the same palette entry) share one XF.
//
// Font indices skip 4 (MS-XLS 2.5.129 FontIndex): the first four fonts are the default font
// plain, bold, italic and bold italic; the fifth FONT record gets index 5. XF 0..14 are the style
// XFs and XF 15 the default cell XF, as Excel writes them; cell formats get XF 16 and up.
class XlsStyleTable {
public:
    static constexpr int kMaxCellXfs = 4000;       // distinct cell formats in Excel 97
    static constexpr int kMaxFormatLength = 255;   // characters of a number format
    static constexpr int kMaxFonts = 510;          // FONT records (MS-XLS 2.5.129)
    static constexpr int kMaxCustomFormats = 210;  // FORMAT records beyond the stored 8
    static constexpr std::uint16_t kDefaultXf = 15;
    static constexpr std::uint16_t kNoRoom = 0xFFFF;
    static constexpr std::uint16_t kFirstCustomFormat = 164;

    XlsStyleTable(const QString& defaultFontName, double defaultFontSize);

    // Note the colours of a format before assignColors().
    void noteColors(const CellFormat& format);
    // Fix the palette; call once after every noteColors() and before xfFor().
    void assignColors();

    // The XF index of a cell format, adding FONT, FORMAT and XF records on first use. A
    // format that needs a new XF when kMaxCellXfs are taken gets kNoRoom (no XF is added;
    // the writer gives it a kept format's XF). Sets result() (and returns kDefaultXf or an
    // XF without the part over the limit) when the format breaks another limit: more than
    // kMaxFonts fonts or kMaxCustomFormats number formats, or a number format longer than
    // kMaxFormatLength.
    std::uint16_t xfFor(const CellFormat& format);
    // Ok when every format could be represented, else TooLarge saying why one could not.
    Result result() const {
        return m_error.isEmpty() ? Result::success()
                                 : Result::failure(Result::Status::TooLarge, m_error);
    }

    int fontCount() const { return m_fonts.size(); }
    int cellXfCount() const { return static_cast<int>(m_xfs.size()) - kDefaultXf; }
    const XlsPalette& palette() const { return m_palette; }

    // FONT records, FORMAT records, XF records, STYLE record and PALETTE, in the order the
    // workbook globals need them.
    void write(XlsRecordWriter& out) const;

private:
    std::uint16_t fontFor(const CellFormat& format);
    std::uint16_t numberFormatFor(const QString& text);
    QByteArray xfRecord(std::uint16_t font, std::uint16_t numberFormat,
                        const CellFormat& format) const;
    std::uint16_t colorIndex(std::uint32_t rgb, std::uint16_t automatic) const;

    QString m_defaultFontName;
    double m_defaultFontSize;
    XlsPalette m_palette;
    std::vector<QByteArray> m_fonts;  // FONT record data
    QHash<QByteArray, std::uint16_t> m_fontIndex;
    std::vector<std::pair<std::uint16_t, QString>> m_formats;  // custom FORMAT records
    QHash<QString, std::uint16_t> m_formatIndex;
    std::vector<QByteArray> m_xfs;  // XF record data; 0..15 fixed
    QHash<QByteArray, std::uint16_t> m_xfIndex;
    QHash<CellFormat, std::uint16_t> m_cache;
    QString m_error;
};
