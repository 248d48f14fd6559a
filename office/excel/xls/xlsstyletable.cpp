#include "office/excel/xls/xlsstyletable.h"

#include "office/excel/model/builtinnumberformats.h"

#include <QtEndian>

#include <cmath>

namespace {

constexpr std::uint16_t kFontRecord = 0x0031;
constexpr std::uint16_t kFormatRecord = 0x041E;
constexpr std::uint16_t kXfRecord = 0x00E0;
constexpr std::uint16_t kStyleRecord = 0x0293;

// Built-in formats Excel stores a FORMAT record for all the same (currency, accounting).
struct BuiltInFormat {
    int id;
    const char* text;
};
constexpr BuiltInFormat kStoredBuiltInFormats[] = {
    {5, "\"$\"#,##0_);\\(\"$\"#,##0\\)"},
    {6, "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)"},
    {7, "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)"},
    {8, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)"},
    {42, "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)"},
    {41, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)"},
    {43, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)"}};

// Formats written by their built-in id; the others keep a FORMAT record of their own so
// their text survives readers whose built-in table is locale-dependent (dates).
constexpr int kWrittenAsBuiltIn[] = {0, 1, 2, 3, 4, 9, 10, 11, 49};

/* Little-endian 16-bit value into a record buffer. */
void put16(QByteArray& data, int at, std::uint16_t value) {
    qToLittleEndian(value, data.data() + at);
}

/* Little-endian 32-bit value into a record buffer. */
void put32(QByteArray& data, int at, std::uint32_t value) {
    qToLittleEndian(value, data.data() + at);
}

/* Border line style (MS-XLS 2.5.4 BorderStyle) of a cell border. */
std::uint32_t borderStyle(BorderLine::Style style) {
    switch (style) {
        case BorderLine::None:
            return 0;
        case BorderLine::Thin:
            return 1;
        case BorderLine::Medium:
            return 2;
        case BorderLine::Dashed:
            return 3;
        case BorderLine::Dotted:
            return 4;
        case BorderLine::Thick:
            return 5;
        case BorderLine::Double:
            return 6;
        case BorderLine::Hair:
            return 7;
    }
    return 0;
}

/* HorizAlign (MS-XLS 2.5.136 alc) of a cell format. */
std::uint8_t horizontalAlignment(CellFormat::HAlign align) {
    switch (align) {
        case CellFormat::HAlign::General:
            return 0;
        case CellFormat::HAlign::Left:
            return 1;
        case CellFormat::HAlign::Center:
            return 2;
        case CellFormat::HAlign::Right:
            return 3;
        case CellFormat::HAlign::Justify:
            return 5;
    }
    return 0;
}

/* VertAlign (MS-XLS 2.5.337 alcV) of a cell format. */
std::uint8_t verticalAlignment(CellFormat::VAlign align) {
    switch (align) {
        case CellFormat::VAlign::Top:
            return 0;
        case CellFormat::VAlign::Center:
            return 1;
        case CellFormat::VAlign::Bottom:
            return 2;
    }
    return 2;
}

/* Character set for a font name: GB2312 for names outside Latin-1 (宋体), else ANSI. */
std::uint8_t fontCharset(const QString& name) {
    return XlsRecordWriter::isCompressible(name.constData(), name.size()) ? 0 : 134;
}

/* A style or cell XF (MS-XLS 2.4.353) with no borders and no fill. */
QByteArray plainXf(std::uint16_t font, bool style, std::uint8_t usedAttributes) {
    QByteArray data(20, '\0');
    put16(data, 0, font);
    put16(data, 4, style ? 0xFFF5 : 0x0001);  // locked; style XFs have parent 0xFFF
    data[6] = 0x20;                           // bottom-aligned, general
    data[9] = static_cast<char>(usedAttributes);
    put16(data, 18, 0x20C0);  // pattern colours: automatic foreground and background
    return data;
}

}  // namespace

/* Set up the default font and the sixteen fixed XFs. */
XlsStyleTable::XlsStyleTable(const QString& defaultFontName, double defaultFontSize)
    : m_defaultFontName(defaultFontName), m_defaultFontSize(defaultFontSize) {
    // Fonts 0..3 are the default font plain, bold, italic, bold italic (MS-XLS 2.5.129);
    // index 4 does not exist.
    CellFormat variant;
    fontFor(variant);
    variant.bold = true;
    fontFor(variant);
    variant.bold = false;
    variant.italic = true;
    fontFor(variant);
    variant.bold = true;
    fontFor(variant);
    m_xfs.push_back(plainXf(0, true, 0x00));
    for (int i = 1; i < kDefaultXf; ++i) {
        m_xfs.push_back(plainXf(0, true, 0xF4));
    }
    m_xfs.push_back(plainXf(0, false, 0x00));
}

/* Note font, fill and border colours. */
void XlsStyleTable::noteColors(const CellFormat& format) {
    m_palette.use(format.fontColor);
    m_palette.use(format.fillColor);
    for (const BorderLine* line : {&format.left, &format.right, &format.top, &format.bottom}) {
        if (line->style != BorderLine::None) {
            m_palette.use(line->color);
        }
    }
}

/* Fix the palette entries. */
void XlsStyleTable::assignColors() {
    m_palette.assign();
}

/* Palette index of a colour, or the given automatic index. */
std::uint16_t XlsStyleTable::colorIndex(std::uint32_t rgb, std::uint16_t automatic) const {
    return rgb == kAutoColor ? automatic : m_palette.indexOf(rgb);
}

/* Font (MS-XLS 2.4.122) of a cell format; bold is weight 700 and the old bold flag bit. */
std::uint16_t XlsStyleTable::fontFor(const CellFormat& format) {
    const QString name = format.fontName.isEmpty() ? m_defaultFontName : format.fontName;
    const double size = format.fontSize > 0 ? format.fontSize : m_defaultFontSize;
    XlsRecordWriter record;
    record.putU16(static_cast<std::uint16_t>(qBound(20L, std::lround(size * 20), 8180L)));
    record.putU16(static_cast<std::uint16_t>(
        (format.bold ? 0x0001 : 0) | (format.italic ? 0x0002 : 0) | (format.strike ? 0x0008 : 0)));
    record.putU16(colorIndex(format.fontColor, XlsPalette::kAutoFont));
    record.putU16(format.bold ? 700 : 400);
    record.putU16(0);
    record.putU8(format.underline == CellFormat::Underline::Single   ? 0x01
                 : format.underline == CellFormat::Underline::Double ? 0x02
                                                                     : 0x00);
    record.putU8(0);
    record.putU8(fontCharset(name));
    record.putU8(0);
    record.putShortString(name.left(31));
    const QByteArray& data = record.data();
    const auto found = m_fontIndex.constFind(data);
    if (found != m_fontIndex.constEnd()) {
        return found.value();
    }
    const int records = static_cast<int>(m_fonts.size());
    if (records >= kMaxFonts) {
        m_error = QStringLiteral("More than %1 different fonts").arg(kMaxFonts);
        return 0;
    }
    // The fifth record is font 5: index 4 is skipped.
    const auto index = static_cast<std::uint16_t>(records >= 4 ? records + 1 : records);
    m_fonts.push_back(data);
    m_fontIndex.insert(data, index);
    return index;
}

/* Number format id of a format text: built-in id or a custom FORMAT from 164 on. */
std::uint16_t XlsStyleTable::numberFormatFor(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    const int builtIn = BuiltinNumberFormats::idOf(text);
    for (int id : kWrittenAsBuiltIn) {
        if (builtIn == id) {
            return static_cast<std::uint16_t>(id);
        }
    }
    const auto found = m_formatIndex.constFind(text);
    if (found != m_formatIndex.constEnd()) {
        return found.value();
    }
    if (static_cast<int>(m_formats.size()) >= kMaxCustomFormats) {
        m_error = QStringLiteral("More than %1 different number formats").arg(kMaxCustomFormats);
        return 0;
    }
    const auto id = static_cast<std::uint16_t>(kFirstCustomFormat + m_formats.size());
    m_formats.push_back({id, text});
    m_formatIndex.insert(text, id);
    return id;
}

/* XF record data (MS-XLS 2.4.353) of a cell format. */
QByteArray XlsStyleTable::xfRecord(std::uint16_t font, std::uint16_t numberFormat,
                                   const CellFormat& format) const {
    QByteArray data(20, '\0');
    put16(data, 0, font);
    put16(data, 2, numberFormat);
    put16(data, 4, 0x0001);  // locked, parent style XF 0
    data[6] = static_cast<char>(horizontalAlignment(format.hAlign) | (format.wrap ? 0x08 : 0) |
                                (verticalAlignment(format.vAlign) << 4));
    data[9] = static_cast<char>(0xFC);  // number, font, alignment, border, fill, protection
    const auto lineColor = [this](const BorderLine& line) -> std::uint32_t {
        return line.style == BorderLine::None ? 0 : colorIndex(line.color, 0x40);
    };
    put32(data, 10,
          borderStyle(format.left.style) | (borderStyle(format.right.style) << 4) |
              (borderStyle(format.top.style) << 8) | (borderStyle(format.bottom.style) << 12) |
              (lineColor(format.left) << 16) | (lineColor(format.right) << 23));
    const bool filled = format.fillColor != kAutoColor;
    put32(data, 14,
          lineColor(format.top) | (lineColor(format.bottom) << 7) | (filled ? 1u << 26 : 0u));
    const std::uint32_t foreground = filled ? m_palette.indexOf(format.fillColor) : 0x40;
    put16(data, 18, static_cast<std::uint16_t>(foreground | (XlsPalette::kAutoBackground << 7)));
    return data;
}

/* XF of a cell format, added on first use. */
std::uint16_t XlsStyleTable::xfFor(const CellFormat& format) {
    const auto cached = m_cache.constFind(format);
    if (cached != m_cache.constEnd()) {
        return cached.value();
    }
    if (format.numberFormat.size() > kMaxFormatLength) {
        m_error = QStringLiteral("A number format is longer than %1 characters: %2...")
                      .arg(kMaxFormatLength)
                      .arg(format.numberFormat.left(40));
        return kDefaultXf;
    }
    const QByteArray data = xfRecord(fontFor(format), numberFormatFor(format.numberFormat), format);
    std::uint16_t index = kDefaultXf;
    const auto found = m_xfIndex.constFind(data);
    QByteArray asDefault = data;
    asDefault[9] = m_xfs[kDefaultXf][9];  // the default XF overrides no style attribute
    if (asDefault == m_xfs[kDefaultXf]) {
        index = kDefaultXf;
    } else if (found != m_xfIndex.constEnd()) {
        index = found.value();
    } else if (cellXfCount() >= kMaxCellXfs) {
        return kNoRoom;
    } else {
        index = static_cast<std::uint16_t>(m_xfs.size());
        m_xfs.push_back(data);
        m_xfIndex.insert(data, index);
    }
    m_cache.insert(format, index);
    return index;
}

/* FONT, FORMAT, XF, STYLE and PALETTE records. */
void XlsStyleTable::write(XlsRecordWriter& out) const {
    for (const QByteArray& font : m_fonts) {
        out.beginRecord(kFontRecord);
        out.putBytes(font.constData(), font.size());
        out.endRecord();
    }
    // The currency and accounting formats Excel always stores (a workbook has at least
    // eight FORMAT records, MS-XLS 2.1.7.20.3).
    for (const BuiltInFormat& format : kStoredBuiltInFormats) {
        out.beginRecord(kFormatRecord);
        out.putU16(static_cast<std::uint16_t>(format.id));
        out.putString(QString::fromLatin1(format.text));
        out.endRecord();
    }
    for (const auto& format : m_formats) {
        out.beginRecord(kFormatRecord);
        out.putU16(format.first);
        out.putString(format.second);
        out.endRecord();
    }
    for (const QByteArray& xf : m_xfs) {
        out.beginRecord(kXfRecord);
        out.putBytes(xf.constData(), xf.size());
        out.endRecord();
    }
    // Style (MS-XLS 2.4.269): the built-in Normal style on XF 0.
    out.beginRecord(kStyleRecord);
    out.putU16(0x8000);
    out.putU8(0);
    out.putU8(0xFF);
    out.endRecord();
    m_palette.write(out);
}
