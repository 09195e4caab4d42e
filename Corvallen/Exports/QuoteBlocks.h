#pragma once

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Exports/SheetBlock.h"
#include "Corvallen/Exports/SheetProject.h"

#include <QDate>
#include <QList>

// "QUOTE", the project's name, the quote date and the description. A description too long for
// the first page runs on over the next ones, each page showing one piece of the head.
class SheetQuoteHeader : public SheetBlock {
public:
    SheetQuoteHeader(SheetProjectPtr project, QDate date);
    // One page's piece: `description` is the part of the description it shows; `opens` puts
    // "QUOTE", the name and the date above it.
    SheetQuoteHeader(SheetProjectPtr project, QDate date, QString description, bool opens)
        : m_project(std::move(project)), m_date(date), m_description(std::move(description)), m_opens(opens) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QString& description() const { return m_description; }
    // Where the description's lines end at this width: the places it may be cut between pages.
    QList<qsizetype> descriptionLineEnds(double width, QPaintDevice* device) const;

private:
    SheetProjectPtr m_project;
    QDate m_date;
    QString m_description;
    bool m_opens = true;
};

// The quoted lines of one page: one line per part, or one summary line for a combined quote.
class SheetQuoteTable : public SheetBlock {
public:
    // Amounts are written by `money` (by default the business currency, read now: pass the
    // project's own when the table is made off the main thread).
    SheetQuoteTable(QList<SheetPart> parts, bool combined, MoneyFormatter money = MoneyFormatter())
        : m_parts(std::move(parts)), m_combined(combined), m_money(std::move(money)) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;

    struct Line {
        QString label, quantity, unit, amount;
    };
    // The lines as printed.
    QList<Line> lines() const;
    const QList<SheetPart>& parts() const { return m_parts; }
    bool combined() const { return m_combined; }

private:
    QList<SheetPart> m_parts;
    bool m_combined;
    MoneyFormatter m_money;
};

// Labour, subtotal, VAT and total of the whole project.
class SheetQuoteTotals : public SheetBlock {
public:
    SheetQuoteTotals(SheetProjectPtr project, const BusinessProfile& profile) : m_project(std::move(project)), m_profile(profile) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;

    struct Row {
        QString label, amount;
        bool emphasised = false;
    };
    QList<Row> rows() const;

    struct Figures {
        double labour, parts, subtotal, vat, total;
    };
    Figures figures() const;

private:
    SheetProjectPtr m_project;
    BusinessProfile m_profile;
};
