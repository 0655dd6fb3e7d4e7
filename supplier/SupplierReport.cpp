#include "supplier/SupplierReport.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLineEdit>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QRawFont>
#include <QToolBar>

#include <algorithm>
#include <vector>

#include "db/Error.h"
#include "db/Query.h"
#include "dialogs/Fonts.h"
#include "dialogs/Modal.h"

namespace {

const QString kTitle = QStringLiteral("仕入先マスター一覧表");

// The layout in millimetres: the margins from the paper's edges, the
// rest from the left edge and the top of its band.
constexpr double kPaperHeight = 210;
constexpr double kLeftMargin = 17;
constexpr double kTopMargin = 10;
constexpr double kRightMargin = 10;
constexpr double kBottomMargin = 10;
constexpr double kBandWidth = 270;
constexpr double kHeaderHeight = 10;
constexpr double kLineHeight = 5;
constexpr double kRowHeight = 2 * kLineHeight;
constexpr double kTextGap = 0.5; // between a frame and the text inside it

// The design gives frame widths and type sizes in screen pixels of 96 per
// inch; they are converted to the printer's own resolution.
constexpr double kDesignDpi = 96;
constexpr double kFramePixels = 0.5;
constexpr double kFieldPixels = 13;
constexpr double kCounterPixels = 12;

struct Column
{
    QStringView title;
    double left;
    double width;
    bool framedAsPair; // one box around both lines, else a box per line
};

const Column kColumns[] = {
    {u"業者CD", 1.85, 15, true},     {u"業者名・支店名", 16.85, 85, true},
    {u"住所", 101.85, 95, true},     {u"代表者･担当者", 196.9, 29.9, false},
    {u"TEL/FAX", 226.83, 25, false}, {u"工種･科目", 251.83, 18, false},
};

// One field of a supplier row and the place it is printed.
struct Slot
{
    const char* field;
    double left;
    double width;
    int line; // 0 upper, 1 lower
    bool centred;
};

// The postal code takes the first 15 mm of the address box and address 1 the
// remaining 80, on one line inside the same frame.
const Slot kSlots[] = {
    {"T_CD", 1.85, 15, 0, false},        {"T_KEY", 1.85, 15, 1, false},
    {"T_NAME01", 16.85, 85, 0, false},   {"T_NAME02", 16.85, 85, 1, false},
    {"T_ZIP_CD", 101.85, 15, 0, false},  {"T_ADD_1", 116.85, 80, 0, false},
    {"T_ADD_2", 101.85, 95, 1, false},   {"T_DAIHYOU", 196.9, 29.9, 0, false},
    {"T_TANTOU", 196.9, 29.9, 1, false}, {"T_TEL", 226.83, 25, 0, false},
    {"T_FAX", 226.83, 25, 1, false},     {"KU_KOUSYU", 251.83, 18, 0, true},
    {"KU_KAMOKU", 251.83, 18, 1, true},
};
constexpr int kSlotCount = int(sizeof kSlots / sizeof kSlots[0]);

// "ＭＳ 明朝" at a size the design gives in screen pixels.
QFont Mincho(double designPixels)
{
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPointSizeF(designPixels * 72 / kDesignDpi);
    return font;
}

// A face at one size on the printer, with each character's advance and glyph
// remembered: a large master means over a million texts, and measuring and
// shaping each through the text engine would cost more than the printing.
// The face (IPAMincho for "ＭＳ 明朝") sets its characters without kerning or
// ligatures, so a text is as wide as its characters.
class Type
{
public:
    Type(double designPixels, QPaintDevice* device)
        : m_font(Mincho(designPixels)), m_metrics(m_font, device), m_raw(QRawFont::fromFont(m_font)),
          m_characters(0x10000)
    {
        m_raw.setPixelSize(designPixels / kDesignDpi * device->logicalDpiY());
    }

    const QFont& font() const { return m_font; }
    double ascent() const { return m_metrics.ascent(); }
    double height() const { return m_metrics.ascent() + m_metrics.descent(); }

    // The characters that fit in width: a report cuts a long value off at its
    // frame rather than running into the next column.
    QStringView fitting(QStringView text, double width, double* used)
    {
        double w = 0;
        qsizetype n = 0;
        for (; n < text.size(); ++n) {
            const double a = character(text[n]).advance;
            if (w + a > width)
                break;
            w += a;
        }
        *used = w;
        return text.first(n);
    }

    // Adds the glyphs of text set from origin to the run waiting to be drawn;
    // false, adding nothing, when the face lacks a character (the text engine
    // then finds it in another face).
    bool addGlyphs(QStringView text, QPointF origin)
    {
        for (const QChar c : text)
            if (character(c).glyph == 0)
                return false;
        for (const QChar c : text) {
            const Character& k = character(c);
            m_glyphs.append(k.glyph);
            m_positions.append(origin);
            origin.rx() += k.advance;
        }
        return true;
    }

    void drawGlyphs(QPainter& painter)
    {
        if (m_glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_raw);
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_positions);
        painter.drawGlyphRun(QPointF(), run);
        m_glyphs.clear();
        m_positions.clear();
    }

private:
    struct Character
    {
        double advance = -1; // not looked up yet
        quint32 glyph = 0;   // 0: the face has none
    };

    const Character& character(QChar c)
    {
        Character& k = m_characters[c.unicode()];
        if (k.advance < 0) {
            k.advance = m_metrics.horizontalAdvance(c);
            int count = 1;
            if (!m_raw.isValid() || !m_raw.glyphIndexesForChars(&c, 1, &k.glyph, &count) || count != 1)
                k.glyph = 0;
        }
        return k;
    }

    QFont m_font;
    QFontMetricsF m_metrics;
    QRawFont m_raw;
    std::vector<Character> m_characters;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};

// Paints the bands of one print. The painter works in the printer's device
// pixels and every length is converted from millimetres here: a painter
// scaled to millimetres would need type a few hundredths of a point high,
// which the font engine hints to whole pixels — whole millimetres — and the
// texts would come out too narrow for their frames.
class BandPainter
{
public:
    BandPainter(QPainter& painter, QPrinter& printer)
        : m_painter(painter), m_xScale(printer.logicalDpiX() / 25.4), m_yScale(printer.logicalDpiY() / 25.4),
          m_field(kFieldPixels, &printer), m_counter(kCounterPixels, &printer),
          // Straight into a PDF (a file, or a printer's job) a band's texts go
          // as one run of glyphs, several times faster than text by text. The
          // preview records its pages as pictures, which would keep a glyph
          // run only as outlines, so it gets the texts themselves.
          m_glyphRuns(painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Pdf)
    {
        QPen pen(Qt::black);
        pen.setWidthF(kFramePixels / kDesignDpi * printer.logicalDpiY());
        pen.setJoinStyle(Qt::MiterJoin);
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
    }

    // Bands are placed by their top, in millimetres from the paper's top edge.
    void pageHeader(double top, int page, int pages)
    {
        for (const Column& c : kColumns)
            frame(c.left, top + kLineHeight, c.width, kLineHeight);
        text(m_field, 2, top, 116, kLineHeight, kTitle, Qt::AlignLeft | Qt::AlignVCenter);
        text(m_counter, kBandWidth - 79, top, 79, kLineHeight, QStringLiteral("%1 / %2").arg(page).arg(pages),
             Qt::AlignRight | Qt::AlignBottom);
        for (const Column& c : kColumns)
            text(m_field, c.left, top + kLineHeight, c.width, kLineHeight, c.title.toString(),
                 Qt::AlignCenter);
        drawGlyphs();
    }

    // One supplier: two lines under the column titles.
    void row(double top, const QString (&values)[kSlotCount])
    {
        for (const Column& c : kColumns) {
            if (c.framedAsPair) {
                frame(c.left, top, c.width, kRowHeight);
            } else {
                frame(c.left, top, c.width, kLineHeight);
                frame(c.left, top + kLineHeight, c.width, kLineHeight);
            }
        }
        for (int i = 0; i < kSlotCount; ++i) {
            const Slot& s = kSlots[i];
            text(m_field, s.left, top + s.line * kLineHeight, s.width, kLineHeight, values[i],
                 s.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        }
        drawGlyphs();
    }

private:
    double x(double mm) const { return (kLeftMargin + mm) * m_xScale; }
    double y(double mm) const { return mm * m_yScale; }

    void frame(double left, double top, double width, double height)
    {
        m_painter.drawRect(QRectF(x(left), y(top), width * m_xScale, height * m_yScale));
    }

    void text(Type& type, double left, double top, double width, double height, const QString& value,
              Qt::Alignment align)
    {
        if (value.isEmpty())
            return;
        const double room = (width - 2 * kTextGap) * m_xScale;
        double used = 0;
        const QStringView shown = type.fitting(value, room, &used);
        if (shown.isEmpty())
            return;
        double at = x(left + kTextGap);
        if (align & Qt::AlignHCenter)
            at += (room - used) / 2;
        else if (align & Qt::AlignRight)
            at += room - used;
        const double boxTop = y(top);
        const double boxHeight = height * m_yScale;
        double baseline = boxTop + (boxHeight - type.height()) / 2 + type.ascent();
        if (align & Qt::AlignBottom)
            baseline = boxTop + boxHeight - (type.height() - type.ascent());
        if (m_glyphRuns && type.addGlyphs(shown, QPointF(at, baseline)))
            return;
        if (m_painter.font() != type.font())
            m_painter.setFont(type.font());
        m_painter.drawText(QPointF(at, baseline), shown.size() == value.size() ? value : shown.toString());
    }

    void drawGlyphs()
    {
        m_field.drawGlyphs(m_painter);
        m_counter.drawGlyphs(m_painter);
    }

    QPainter& m_painter;
    double m_xScale;
    double m_yScale;
    Type m_field;
    Type m_counter;
    bool m_glyphRuns;
};

// The preview offers printing and moving between pages, nothing else, and
// shows the page at its full width. The dialog's own actions are found by
// their (translated) texts, since it gives most of them no names.
void KeepPrintAndPageActions(QPrintPreviewDialog& preview)
{
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("QPrintPreviewDialog", text);
    };
    const QString print = tr("Print");
    const QStringList kept{print, tr("First page"), tr("Previous page"), tr("Next page"), tr("Last page")};
    for (QToolBar* bar : preview.findChildren<QToolBar*>()) {
        QAction* separator = nullptr;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) {
                separator = action;
                action->setVisible(false);
                continue;
            }
            // The page number box between the arrows stays; the zoom box goes.
            const QWidget* widget = bar->widgetForAction(action);
            const bool pageNumber =
                widget && !qobject_cast<const QComboBox*>(widget) && widget->findChild<QLineEdit*>();
            const bool keep = pageNumber || kept.contains(action->text());
            action->setVisible(keep);
            if (action->text() == print && separator)
                separator->setVisible(true);
        }
    }
    if (auto* fitWidth = preview.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
}

} // namespace

SupplierListReport::SupplierListReport(db::Query& suppliers) : m_suppliers(suppliers)
{
    // The report names the design's face; without the substitution it would
    // print in a Gothic face whose PDF text does not read back.
    InstallFontSubstitutions();
}

void SupplierListReport::prepare()
{
    if (!m_suppliers.isOpen())
        m_suppliers.open();
    m_rows = m_suppliers.recordCount();
}

int SupplierListReport::rowsPerPage()
{
    const double room = kPaperHeight - kTopMargin - kBottomMargin - kHeaderHeight;
    return int((room + 1e-6) / kRowHeight);
}

int SupplierListReport::pageCount() const
{
    return std::max(1, (m_rows + rowsPerPage() - 1) / rowsPerPage());
}

void SupplierListReport::setUpPrinter(QPrinter& printer)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(kLeftMargin, kTopMargin, kRightMargin, kBottomMargin),
                                      QPageLayout::Millimeter));
    // The bands place themselves inside the margins, so the painter starts at
    // the paper's corner whatever margins a printer driver insists on.
    printer.setFullPage(true);
    printer.setDocName(kTitle);
    printer.setCreator(QStringLiteral("VELDRUN"));
}

bool SupplierListReport::print(QPrinter& printer,
                               const std::function<void(int done, int total)>& progress) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    BandPainter bands(painter, printer);
    int column[kSlotCount];
    for (int i = 0; i < kSlotCount; ++i)
        column[i] = m_suppliers.fieldIndex(QLatin1String(kSlots[i].field));
    const int pages = pageCount();
    const int perPage = rowsPerPage();
    QString values[kSlotCount];
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage())
            return false;
        bands.pageHeader(kTopMargin, page + 1, pages);
        double top = kTopMargin + kHeaderHeight;
        const int end = std::min(m_rows, (page + 1) * perPage);
        for (int row = page * perPage; row < end; ++row, top += kRowHeight) {
            for (int i = 0; i < kSlotCount; ++i)
                values[i] = m_suppliers.displayTextAt(row, column[i]);
            bands.row(top, values);
        }
        if (progress)
            progress(page + 1, pages);
    }
    return painter.end();
}

void PrintSupplierList(db::Query& suppliers, QWidget* parent)
{
    SupplierListReport report(suppliers);
    report.prepare();
    QPrinter printer(QPrinter::HighResolution);
    SupplierListReport::setUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("SupplierListPreview"));
    preview.setWindowTitle(kTitle);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter* target) { report.print(*target); });
    KeepPrintAndPageActions(preview);
    preview.setWindowState(Qt::WindowMaximized);
    modal::exec(preview);
}

bool WriteSupplierListPdf(db::Query& suppliers, const QString& path, QString* error, int* pages,
                          const std::function<void(int done, int total)>& progress)
{
    try {
        SupplierListReport report(suppliers);
        report.prepare();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        SupplierListReport::setUpPrinter(printer);
        if (pages)
            *pages = report.pageCount();
        if (!report.print(printer, progress)) {
            if (error)
                *error = QStringLiteral("PDF ファイル %1 を書けません。").arg(path);
            return false;
        }
        return true;
    } catch (const db::Error& e) {
        if (error)
            *error = e.message();
        return false;
    }
}
