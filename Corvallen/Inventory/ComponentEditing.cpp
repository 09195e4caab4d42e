#include "Corvallen/Inventory/ComponentEditing.h"

#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Platform/IcuLocale.h"
#include "Corvallen/Store/ModelContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace ComponentEditing {

QString fieldText(const std::optional<QString>& value)
{
    return value.value_or(QString());
}

std::optional<QString> fieldValue(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

bool onOrder(const Component& component)
{
    return component.statusOverride() == std::optional<QString>(QStringLiteral("ordered"));
}

void setOnOrder(Component& component, bool on)
{
    component.setStatusOverride(on ? std::optional<QString>(QStringLiteral("ordered")) : std::nullopt);
}

QStringList comboOptions(TermKind kind, const std::optional<QString>& parent, const QList<TaxonomyTerm*>& terms)
{
    const QString raw = TermKinds::rawValue(kind);
    QList<TaxonomyTerm*> ofKind;
    for (TaxonomyTerm* t : terms)
        if (t->kindRaw() == raw)
            ofKind << t;
    QList<TaxonomyTerm*> chosen = ofKind;
    if (parent && !parent->isEmpty()) {
        QList<TaxonomyTerm*> under;
        for (TaxonomyTerm* t : ofKind)
            if (t->parent() && TaxonomyTerm::namesMatch(*t->parent(), *parent))
                under << t;
        if (!under.isEmpty())
            chosen = under;
    }
    QStringList names;
    for (TaxonomyTerm* t : chosen)
        names << t->name();
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return TextCompare::localizedCaseInsensitiveCompare(a, b) < 0;
    });
    return names;
}

std::optional<QString> comboParent(const Component& component, TermKind kind)
{
    if (kind == TermKind::subcategory)
        return component.category();
    if (kind == TermKind::bin)
        return component.location();
    return std::nullopt;
}

std::optional<qint64> quantityFromText(const QString& text, const QLocale& locale)
{
    // A figure beyond the bound, also one too long for 64 bits, is held at the bound.
    const std::optional<qint64> value = IcuLocale::typedWholeNumber(text, locale);
    if (!value)
        return std::nullopt;
    return std::clamp(*value, -Component::maxQuantity, Component::maxQuantity);
}

std::optional<QString> marginText(std::optional<double> purchase, std::optional<double> resell, const QString& currencyCode)
{
    if (!purchase || !resell)
        return std::nullopt;
    const double margin = *resell - *purchase;
    QString percent;
    if (*purchase > 0) {
        const double ratio = std::trunc(margin / *purchase * 100.0);
        // In the locale's digits and minus sign, like the amount before it. Extreme prices can give
        // a ratio beyond any integer; show it as a plain number then.
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        // A ratio that overflows (an absurd price) has no figure worth showing: it is left out.
        if (std::isfinite(ratio) && std::abs(ratio) < 1e15)
            percent = QStringLiteral(" (%1%)").arg(locale.toString(qint64(ratio)));
        else if (std::isfinite(ratio))
            percent = QStringLiteral(" (%1%)").arg(locale.toString(ratio, 'g', 3));
    }
    return QCoreApplication::translate("ComponentInspector", "Margin ") + MoneyFormatter(currencyCode).format(margin) + percent;
}

bool commit(Component& component, ModelContext& context, QString* error)
{
    if (component.tags())
        component.setTags(component.tags()->toLower());
    component.setUpdatedAt(QDateTime::currentDateTime());
    for (TermKind kind : TermKinds::allCases()) {
        std::optional<QString> parent;
        if (kind == TermKind::subcategory)
            parent = component.category();
        else if (kind == TermKind::bin)
            parent = component.location();
        // The part takes the term's own spelling: a value with stray blanks or another letter
        // case would be a second option in the filter menus, and the term manager would count,
        // rename and clear the part under the term's name but miss it there.
        const std::optional<QString> value = component.value(kind);
        if (const TaxonomyTerm* term = TaxonomyTerm::findOrCreate(value, kind, parent, context)) {
            if (value != term->name())
                component.setValue(term->name(), kind);
        } else if (value) {
            component.setValue(std::nullopt, kind);  // only blanks: no value at all
        }
    }
    return context.save(error);
}

}  // namespace ComponentEditing
