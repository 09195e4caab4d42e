#include "Corvallen/Exports/QuoteBlocks.h"

#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetPalette.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"

#include <QPainter>

namespace {

QString projectTitle(const Project* p)
{
    return p->name().isEmpty() ? QStringLiteral("Untitled Project") : p->name();
}

double unitPrice(const ProjectComponent* line)
{
    const Component* c = line->component();
    return c ? c->resellPrice().value_or(0) : 0;
}

// Quantity 40, unit 84, amount 92, the item takes the rest; 8 points between cells.
struct QuoteColumns {
    double item, xItem, xQty, xUnit, xAmount;
    explicit QuoteColumns(const QRectF& r)
    {
        item = std::max(20.0, r.width() - 40 - 84 - 92 - 3 * 8);
        xItem = r.left();
        xQty = xItem + item + 8;
        xUnit = xQty + 40 + 8;
        xAmount = xUnit + 84 + 8;
    }
};

}  // namespace

// MARK: head

double SheetQuoteHeader::height(double width, QPaintDevice* dev) const
{
    double h = SheetText::lineHeight(SheetPalette::font(11, QFont::Bold), dev) + 6
               + SheetText::wrappedHeight(projectTitle(m_project), SheetPalette::font(22, QFont::Bold), width, dev) + 6
               + SheetText::lineHeight(SheetPalette::font(10), dev);
    if (!m_project->details().isEmpty())
        h += 6 + 2 + SheetText::wrappedHeight(m_project->details(), SheetPalette::font(11), width, dev);
    return h;
}

void SheetQuoteHeader::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    double y = r.top();
    QFont quoteFont = SheetPalette::font(11, QFont::Bold);
    quoteFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    double h = SheetText::lineHeight(quoteFont, dev);
    SheetText::draw(p, QRectF(r.left(), y, r.width(), h), QStringLiteral("QUOTE"), quoteFont, SheetPalette::accent());
    y += h + 6;
    const QFont nameFont = SheetPalette::font(22, QFont::Bold);
    h = SheetText::wrappedHeight(projectTitle(m_project), nameFont, r.width(), dev);
    SheetText::draw(p, QRectF(r.left(), y, r.width(), h), projectTitle(m_project), nameFont, SheetPalette::ink(),
                    Qt::AlignLeft | Qt::TextWordWrap);
    y += h + 6;
    const QFont dateFont = SheetPalette::font(10);
    h = SheetText::lineHeight(dateFont, dev);
    SheetText::draw(p, QRectF(r.left(), y, r.width(), h), SheetFormat::longDateText(m_date), dateFont,
                    SheetPalette::secondary());
    y += h;
    if (!m_project->details().isEmpty()) {
        y += 6 + 2;
        const QFont f = SheetPalette::font(11);
        h = SheetText::wrappedHeight(m_project->details(), f, r.width(), dev);
        SheetText::draw(p, QRectF(r.left(), y, r.width(), h), m_project->details(), f, SheetPalette::ink(),
                        Qt::AlignLeft | Qt::TextWordWrap);
    }
}

QStringList SheetQuoteHeader::texts() const
{
    QStringList out{QStringLiteral("QUOTE"), projectTitle(m_project), SheetFormat::longDateText(m_date)};
    if (!m_project->details().isEmpty())
        out << m_project->details();
    return out;
}

// MARK: table

QList<SheetQuoteTable::Line> SheetQuoteTable::lines() const
{
    QList<Line> out;
    if (m_combined) {
        qint64 count = 0;
        double amount = 0;
        for (const ProjectComponent* line : m_parts) {
            count += line->quantity();
            amount += unitPrice(line) * double(line->quantity());
        }
        const QString label = QStringLiteral("Components (%1 item%2)").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
        out.append({label, QString(), QString(), SheetFormat::moneyText(amount)});
        return out;
    }
    for (const ProjectComponent* line : m_parts) {
        const double unit = unitPrice(line);
        out.append({line->component() ? line->component()->name() : QStringLiteral("—"), QString::number(line->quantity()),
                    SheetFormat::moneyText(unit), SheetFormat::moneyText(unit * double(line->quantity()))});
    }
    return out;
}

double SheetQuoteTable::height(double width, QPaintDevice* dev) const
{
    const QuoteColumns c(QRectF(0, 0, width, 0));
    double h = SheetText::lineHeight(SheetPalette::font(8, QFont::DemiBold), dev) + 4 + 1;
    const double lh = SheetText::lineHeight(SheetPalette::font(10), dev);
    for (const Line& line : lines())
        h += 4 + std::max(lh, SheetText::wrappedHeight(line.label, SheetPalette::font(10, QFont::Medium), c.item, dev)) + 6
             + 0.5;
    return h;
}

void SheetQuoteTable::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    const QuoteColumns c(r);
    double y = r.top();
    const QFont hf = SheetPalette::font(8, QFont::DemiBold);
    const double hh = SheetText::lineHeight(hf, dev);
    const QColor sec = SheetPalette::secondary();
    SheetText::draw(p, QRectF(c.xItem, y, c.item, hh), QStringLiteral("ITEM"), hf, sec, Qt::AlignLeft);
    SheetText::draw(p, QRectF(c.xQty, y, 40, hh), QStringLiteral("QTY"), hf, sec, Qt::AlignRight);
    SheetText::draw(p, QRectF(c.xUnit, y, 84, hh), QStringLiteral("UNIT"), hf, sec, Qt::AlignRight);
    SheetText::draw(p, QRectF(c.xAmount, y, 92, hh), QStringLiteral("AMOUNT"), hf, sec, Qt::AlignRight);
    y += hh + 4;
    SheetText::rule(p, QRectF(r.left(), y, r.width(), 1), SheetPalette::rule());
    y += 1;
    const QFont labelFont = SheetPalette::font(10, QFont::Medium);
    const QFont bodyFont = SheetPalette::font(10);
    const double lh = SheetText::lineHeight(bodyFont, dev);
    QColor hair = SheetPalette::rule();
    hair.setAlphaF(0.6f);
    for (const Line& line : lines()) {
        y += 4 + 3;
        const double rh = std::max(lh, SheetText::wrappedHeight(line.label, labelFont, c.item, dev));
        SheetText::draw(p, QRectF(c.xItem, y, c.item, rh), line.label, labelFont, SheetPalette::ink(),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
        SheetText::draw(p, QRectF(c.xQty, y, 40, rh), line.quantity, bodyFont, SheetPalette::ink(),
                        Qt::AlignRight | Qt::AlignVCenter);
        SheetText::draw(p, QRectF(c.xUnit, y, 84, rh), line.unit, bodyFont, sec, Qt::AlignRight | Qt::AlignVCenter);
        SheetText::draw(p, QRectF(c.xAmount, y, 92, rh), line.amount, labelFont, SheetPalette::ink(),
                        Qt::AlignRight | Qt::AlignVCenter);
        y += rh + 3;
        SheetText::rule(p, QRectF(r.left(), y, r.width(), 0.5), hair);
        y += 0.5;
    }
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
    Figures f{};
    f.labour = m_project->labourTotal();
    f.parts = m_project->partsResellTotal();
    f.subtotal = f.parts + f.labour;
    f.vat = f.subtotal * m_profile.vatRate / 100.0;
    f.total = f.subtotal + f.vat;
    return f;
}

QList<SheetQuoteTotals::Row> SheetQuoteTotals::rows() const
{
    const Figures f = figures();
    QList<Row> out;
    if (f.labour > 0) {
        const QString label = m_project->labourFlat()
                                  ? QStringLiteral("Labour")
                                  : QStringLiteral("Labour — %1 h").arg(SheetFormat::numberText(m_project->labourHours().value_or(0), 2));
        out.append({label, SheetFormat::moneyText(f.labour)});
    }
    out.append({QStringLiteral("Subtotal"), SheetFormat::moneyText(f.subtotal)});
    if (m_profile.vatRate > 0)
        out.append({QStringLiteral("VAT @ %1%").arg(SheetFormat::numberText(m_profile.vatRate, 2)), SheetFormat::moneyText(f.vat)});
    out.append({QStringLiteral("Total"), SheetFormat::moneyText(f.total), true});
    return out;
}

double SheetQuoteTotals::height(double, QPaintDevice* dev) const
{
    double h = 12;
    const QList<Row> all = rows();
    for (int i = 0; i < all.size(); ++i) {
        if (i > 0)
            h += 5;
        if (all[i].emphasised)
            h += 2 + 1 + 2 + 5;
        h += SheetText::lineHeight(all[i].emphasised ? SheetPalette::font(13, QFont::Bold) : SheetPalette::font(10), dev);
    }
    return h;
}

void SheetQuoteTotals::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    double y = r.top() + 12;
    const double amountLeft = r.right() - 104;
    const QList<Row> all = rows();
    for (int i = 0; i < all.size(); ++i) {
        const Row& row = all[i];
        if (i > 0)
            y += 5;
        if (row.emphasised) {
            y += 2;
            SheetText::rule(p, QRectF(r.right() - 236, y, 236, 1), SheetPalette::rule());
            y += 1 + 2 + 5;
        }
        const QFont labelFont = row.emphasised ? SheetPalette::font(12, QFont::Bold) : SheetPalette::font(10);
        const QFont amountFont = row.emphasised ? SheetPalette::font(13, QFont::Bold) : SheetPalette::font(10, QFont::Medium);
        const double h = std::max(SheetText::lineHeight(labelFont, dev), SheetText::lineHeight(amountFont, dev));
        SheetText::draw(p, QRectF(r.left(), y, amountLeft - 16 - r.left(), h), row.label, labelFont,
                        row.emphasised ? SheetPalette::ink() : SheetPalette::secondary(), Qt::AlignRight | Qt::AlignVCenter);
        SheetText::draw(p, QRectF(amountLeft, y, 104, h), row.amount, amountFont, SheetPalette::ink(),
                        Qt::AlignRight | Qt::AlignVCenter);
        y += h;
    }
}

QStringList SheetQuoteTotals::texts() const
{
    QStringList out;
    for (const Row& r : rows())
        out << r.label << r.amount;
    return out;
}
