#include "Corvallen/Exports/QuoteBlocks.h"

#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetPalette.h"

#include <QPainter>

#include <cmath>

namespace {

// Quantity 40, unit 84, amount 92, the item takes the rest; 8 points between cells. A cell
// whose text needs more room than its width gets it, so no amount ever loses a digit; the item
// column gives way (its text wraps).
struct QuoteColumns {
    double item, qty, unit, amount;
    double xItem, xQty, xUnit, xAmount;
    QuoteColumns(double width, double qtyNeed, double unitNeed, double amountNeed)
    {
        qty = std::max(40.0, qtyNeed);
        unit = std::max(84.0, unitNeed);
        amount = std::max(92.0, amountNeed);
        item = std::max(60.0, width - qty - unit - amount - 3 * 8);
        xItem = 0;
        xQty = xItem + item + 8;
        xUnit = xQty + qty + 8;
        xAmount = xUnit + unit + 8;
    }
};

constexpr int wrapLeft = Qt::AlignLeft | Qt::TextWordWrap;

// The most lines the project's name and one item may take: a name thousands of characters long
// is cut there (ending in "…"), so a single line always fits on a page with room to spare.
constexpr int maxTitleLines = 6;
constexpr int maxItemLines = 12;

}  // namespace

// MARK: head

SheetQuoteHeader::SheetQuoteHeader(SheetProjectPtr project, QDate date)
    : SheetQuoteHeader(project, date, project->details, true)
{
}

QList<qsizetype> SheetQuoteHeader::descriptionLineEnds(double width, QPaintDevice* device) const
{
    return SheetDescription::lineEnds(m_description, width, device);
}

SheetLayout SheetQuoteHeader::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    double y = 0;
    if (m_opens) {
        QFont quoteFont = SheetPalette::font(11, QFont::Bold);
        quoteFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        double h = SheetText::lineHeight(quoteFont, dev);
        out.text(QRectF(0, y, width, h), QStringLiteral("QUOTE"), quoteFont, SheetPalette::accent());
        y += h + 6;
        const QFont nameFont = SheetPalette::font(22, QFont::Bold);
        const QString name = SheetText::capped(m_project->title(), nameFont, width, maxTitleLines, dev);
        h = SheetText::wrappedHeight(name, nameFont, width, dev);
        out.text(QRectF(0, y, width, h), name, nameFont, SheetPalette::ink(), wrapLeft);
        y += h + 6;
        const QFont dateFont = SheetPalette::font(10);
        h = SheetText::lineHeight(dateFont, dev);
        out.text(QRectF(0, y, width, h), SheetFormat::longDateText(m_date), dateFont, SheetPalette::secondary());
        y += h;
    }
    if (!m_description.isEmpty()) {
        if (m_opens)
            y += 6 + 2;
        y += SheetDescription::place(out, y, m_description, width, dev);
    }
    out.height = y;
    return out;
}

QStringList SheetQuoteHeader::texts() const
{
    QStringList out;
    if (m_opens)
        out << QStringLiteral("QUOTE") << m_project->title() << SheetFormat::longDateText(m_date);
    if (!m_description.isEmpty())
        out << m_description;
    return out;
}

// MARK: table

QList<SheetQuoteTable::Line> SheetQuoteTable::lines() const
{
    QList<Line> out;
    if (m_combined) {
        qint64 count = 0;
        double amount = 0;
        for (const SheetPart& line : m_parts) {
            count += line.quantity;
            amount += line.resellPrice * double(line.quantity);
        }
        const QString label = QStringLiteral("Components (%1 item%2)").arg(SheetFormat::countText(count)).arg(count == 1 ? QString() : QStringLiteral("s"));
        out.append({label, QString(), QString(), m_money.format(amount)});
        return out;
    }
    for (const SheetPart& line : m_parts) {
        const double unit = line.resellPrice;
        out.append({line.hasComponent ? line.name : QStringLiteral("—"), SheetFormat::countText(line.quantity), m_money.format(unit),
                    m_money.format(unit * double(line.quantity))});
    }
    return out;
}

SheetLayout SheetQuoteTable::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    const QFont hf = SheetPalette::font(8, QFont::DemiBold);
    const QFont labelFont = SheetPalette::font(10, QFont::Medium);
    const QFont bodyFont = SheetPalette::font(10);
    const QColor sec = SheetPalette::secondary();
    const QList<Line> all = lines();
    double qtyNeed = 0, unitNeed = 0, amountNeed = 0;
    for (const Line& line : all) {
        qtyNeed = std::max(qtyNeed, SheetText::textWidth(line.quantity, bodyFont, dev) + 1);
        unitNeed = std::max(unitNeed, SheetText::textWidth(line.unit, bodyFont, dev) + 1);
        amountNeed = std::max(amountNeed, SheetText::textWidth(line.amount, labelFont, dev) + 1);
    }
    const QuoteColumns c(width, qtyNeed, unitNeed, amountNeed);

    double y = 0;
    const double hh = SheetText::lineHeight(hf, dev);
    out.text(QRectF(c.xItem, y, c.item, hh), QStringLiteral("ITEM"), hf, sec, Qt::AlignLeft);
    out.text(QRectF(c.xQty, y, c.qty, hh), QStringLiteral("QTY"), hf, sec, Qt::AlignRight);
    out.text(QRectF(c.xUnit, y, c.unit, hh), QStringLiteral("UNIT"), hf, sec, Qt::AlignRight);
    out.text(QRectF(c.xAmount, y, c.amount, hh), QStringLiteral("AMOUNT"), hf, sec, Qt::AlignRight);
    y += hh + 4;
    out.rule(QRectF(0, y, width, 1), SheetPalette::rule());
    y += 1;
    const double lh = SheetText::lineHeight(bodyFont, dev);
    QColor hair = SheetPalette::rule();
    hair.setAlphaF(0.6f);
    for (const Line& line : all) {
        y += 4 + 3;
        const QString label = SheetText::capped(line.label, labelFont, c.item, maxItemLines, dev);
        const double rh = std::max(lh, SheetText::wrappedHeight(label, labelFont, c.item, dev));
        out.text(QRectF(c.xItem, y, c.item, rh), label, labelFont, SheetPalette::ink(), wrapLeft | Qt::AlignVCenter);
        out.text(QRectF(c.xQty, y, c.qty, rh), line.quantity, bodyFont, SheetPalette::ink(), Qt::AlignRight | Qt::AlignVCenter);
        out.text(QRectF(c.xUnit, y, c.unit, rh), line.unit, bodyFont, sec, Qt::AlignRight | Qt::AlignVCenter);
        out.text(QRectF(c.xAmount, y, c.amount, rh), line.amount, labelFont, SheetPalette::ink(),
                 Qt::AlignRight | Qt::AlignVCenter);
        y += rh + 3;
        out.rule(QRectF(0, y, width, 0.5), hair);
        y += 0.5;
    }
    out.height = y;
    return out;
}

QStringList SheetQuoteTable::texts() const
{
    QStringList out{QStringLiteral("ITEM"), QStringLiteral("QTY"), QStringLiteral("UNIT"), QStringLiteral("AMOUNT")};
    for (const Line& l : lines()) {
        out << l.label;
        if (!l.quantity.isEmpty())
            out << l.quantity;
        if (!l.unit.isEmpty())
            out << l.unit;
        out << l.amount;
    }
    return out;
}

// MARK: totals

SheetQuoteTotals::Figures SheetQuoteTotals::figures() const
{
    // Every figure is taken at the precision it is written with, so the rows printed above the
    // total add up to it exactly. A rate below zero adds nothing: it is never shown either.
    const int decimals = m_project->money.fractionDigits();
    const double unit = std::pow(10.0, decimals);
    auto written = [unit](double v) { return std::round(v * unit) / unit; };
    Figures f{};
    f.labour = written(m_project->labourTotal);
    f.parts = written(m_project->partsResellTotal);
    f.subtotal = written(f.parts + f.labour);
    f.vat = written(f.subtotal * std::max(0.0, m_profile.vatRate) / 100.0);
    f.total = written(f.subtotal + f.vat);
    return f;
}

QList<SheetQuoteTotals::Row> SheetQuoteTotals::rows() const
{
    const Figures f = figures();
    QList<Row> out;
    // Any labour that counts is shown, a negative figure from older data included.
    if (f.labour != 0) {
        const QString label = m_project->labourFlat
                                  ? QStringLiteral("Labour")
                                  : QStringLiteral("Labour — %1 h").arg(SheetFormat::numberText(m_project->labourHours.value_or(0), 2));
        out.append({label, m_project->money.format(f.labour)});
    }
    out.append({QStringLiteral("Subtotal"), m_project->money.format(f.subtotal)});
    if (m_profile.vatRate > 0)
        out.append({QStringLiteral("VAT @ %1%").arg(SheetFormat::numberText(m_profile.vatRate, 2)), m_project->money.format(f.vat)});
    out.append({QStringLiteral("Total"), m_project->money.format(f.total), true});
    return out;
}

SheetLayout SheetQuoteTotals::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    const QList<Row> all = rows();
    auto labelFontOf = [](const Row& r) { return r.emphasised ? SheetPalette::font(12, QFont::Bold) : SheetPalette::font(10); };
    auto amountFontOf = [](const Row& r) {
        return r.emphasised ? SheetPalette::font(13, QFont::Bold) : SheetPalette::font(10, QFont::Medium);
    };
    // The amount column is 104 wide unless an amount needs more.
    double amountWidth = 104;
    for (const Row& r : all)
        amountWidth = std::max(amountWidth, SheetText::textWidth(r.amount, amountFontOf(r), dev) + 1);
    amountWidth = std::min(amountWidth, width * 0.6);
    const double amountLeft = width - amountWidth;
    const double ruleWidth = std::min(width, std::max(236.0, amountWidth + 132));
    double y = 12;
    for (int i = 0; i < all.size(); ++i) {
        const Row& row = all[i];
        if (i > 0)
            y += 5;
        if (row.emphasised) {
            y += 2;
            out.rule(QRectF(width - ruleWidth, y, ruleWidth, 1), SheetPalette::rule());
            y += 1 + 2 + 5;
        }
        const QFont labelFont = labelFontOf(row);
        const QFont amountFont = amountFontOf(row);
        const double h = std::max(SheetText::lineHeight(labelFont, dev), SheetText::lineHeight(amountFont, dev));
        out.text(QRectF(0, y, amountLeft - 16, h), row.label, labelFont,
                 row.emphasised ? SheetPalette::ink() : SheetPalette::secondary(), Qt::AlignRight | Qt::AlignVCenter);
        out.text(QRectF(amountLeft, y, amountWidth, h), row.amount, amountFont, SheetPalette::ink(),
                 Qt::AlignRight | Qt::AlignVCenter);
        y += h;
    }
    out.height = y;
    return out;
}

QStringList SheetQuoteTotals::texts() const
{
    QStringList out;
    for (const Row& r : rows())
        out << r.label << r.amount;
    return out;
}
