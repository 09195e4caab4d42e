#include "Corvallen/Model/TaxonomyTerm.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"

#include <algorithm>

const EntityDescriptor& TaxonomyTerm::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("TaxonomyTerm");
        using T = AttributeType;
        e.attributes = {{QStringLiteral("kindRaw"), T::Text},
                        {QStringLiteral("name"), T::Text},
                        {QStringLiteral("parent"), T::Text, true},
                        {QStringLiteral("notes"), T::Text, true},
                        {QStringLiteral("createdAt"), T::Date}};
        e.make = [] { return new TaxonomyTerm; };
        return e;
    }();
    return d;
}

TaxonomyTerm::TaxonomyTerm() : PersistentModel(descriptor()) {}

TaxonomyTerm::TaxonomyTerm(TermKind kind, const QString& name, const std::optional<QString>& parent)
    : PersistentModel(descriptor())
{
    setAttributeValue(KindRaw, TermKinds::rawValue(kind));
    setAttributeValue(Name, name);
    setParent(parent);
    setAttributeValue(CreatedAt, QDateTime::currentDateTimeUtc());
}

TermKind TaxonomyTerm::kind() const { return TermKinds::fromRawValue(kindRaw()).value_or(TermKind::category); }

namespace {
// A name pasted from a web page or a datasheet often carries a no-break space or a double blank
// where one typed by hand has a plain space: each run of blanks counts as one space.
QString blanksAsOne(const QString& name)
{
    QString out;
    out.reserve(name.size());
    bool blank = false;
    for (const QChar c : name) {
        if (isHorizontalSpace(c)) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += u' ';
        blank = false;
        out += c;
    }
    return out;
}
}  // namespace

bool TaxonomyTerm::namesMatch(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return TextCompare::localizedCaseInsensitiveEqual(blanksAsOne(a), blanksAsOne(b));
}

QList<TaxonomyTerm*> TaxonomyTerm::terms(TermKind kind, ModelContext& context)
{
    const QString raw = TermKinds::rawValue(kind);
    QList<TaxonomyTerm*> all = context.fetch<TaxonomyTerm>({}, [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
        return TextCompare::localizedStandardCompare(a->name(), b->name()) < 0;
    });
    QList<TaxonomyTerm*> kept;
    for (TaxonomyTerm* t : all)
        if (t->kindRaw() == raw)
            kept << t;
    std::stable_sort(kept.begin(), kept.end(), [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
        return TextCompare::localizedCaseInsensitiveCompare(a->name(), b->name()) < 0;
    });
    return kept;
}

namespace {

std::optional<QString> trimmedOrNone(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QString t = trimWhitespaceAndNewlines(*text);
    if (t.isEmpty())
        return std::nullopt;
    return t;
}

// Find-or-create over the ordered list of one kind, with name and parent already trimmed: the
// first matching term (given the parent when it has none), or a new inserted term.
TaxonomyTerm* resolve(const QList<TaxonomyTerm*>& list, TermKind kind, const QString& name, const std::optional<QString>& parent,
                      ModelContext& context, bool* created)
{
    for (TaxonomyTerm* t : list) {
        if (!TaxonomyTerm::namesMatch(t->name(), name))
            continue;
        if (!t->parent() && parent)
            t->setParent(parent);
        return t;
    }
    if (created)
        *created = true;
    return context.insert(new TaxonomyTerm(kind, name, parent));
}

}  // namespace

TaxonomyTerm* TaxonomyTerm::findOrCreate(const std::optional<QString>& name, TermKind kind,
                                         const std::optional<QString>& parent, ModelContext& context)
{
    const auto trimmed = trimmedOrNone(name);
    if (!trimmed)
        return nullptr;
    return resolve(terms(kind, context), kind, *trimmed, trimmedOrNone(parent), context, nullptr);
}

void TaxonomyTerm::seedFromComponents(ModelContext& context) { seedFromComponents(context, context.fetch<Component>()); }

void TaxonomyTerm::seedFromComponents(ModelContext& context, const QList<Component*>& components)
{
    if (components.isEmpty())
        return;
    // An inventory repeats the same few names thousands of times, so the ordered list of each
    // kind is made once and kept in order as terms are added, and a name once resolved keeps
    // its term for the run: a term is created only when nothing matched its name, so no later
    // term can match a name an earlier one matched, and the new term has exactly one place in
    // the list's order (nothing in it compares equal to it).
    struct KindState {
        QList<TaxonomyTerm*> list;
        bool loaded = false;
        QHash<QString, TaxonomyTerm*> resolved;
    };
    KindState kinds[5];
    bool created = false;
    for (Component* c : components) {
        if (!c || c->isDeleted())
            continue;
        for (TermKind k : TermKinds::allCases()) {
            const auto name = trimmedOrNone(c->value(k));
            if (!name)
                continue;
            std::optional<QString> parent;
            if (k == TermKind::subcategory)
                parent = trimmedOrNone(c->category());
            else if (k == TermKind::bin)
                parent = trimmedOrNone(c->location());
            KindState& state = kinds[int(k)];
            if (TaxonomyTerm* t = state.resolved.value(*name)) {
                if (!t->parent() && parent)
                    t->setParent(parent);
                continue;
            }
            if (!state.loaded) {
                state.list = terms(k, context);
                state.loaded = true;
            }
            bool made = false;
            TaxonomyTerm* t = resolve(state.list, k, *name, parent, context, &made);
            state.resolved.insert(*name, t);
            if (made) {
                created = true;
                const auto at = std::upper_bound(state.list.begin(), state.list.end(), t, [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
                    return TextCompare::localizedCaseInsensitiveCompare(a->name(), b->name()) < 0;
                });
                state.list.insert(at, t);
            }
        }
    }
    if (created)
        context.save();
}

qsizetype TaxonomyTerm::usageCount(ModelContext& context) const
{
    const TermKind k = kind();
    const QString n = name();
    return context.fetchCount<Component>([&](const Component* c) {
        const auto v = c->value(k);
        return v && namesMatch(*v, n);
    });
}

static void updateChildParents(TermKind kind, const QString& oldName, const std::optional<QString>& newParent, ModelContext& context)
{
    const auto child = TermKinds::childKind(kind);
    if (!child)
        return;
    for (TaxonomyTerm* t : TaxonomyTerm::terms(*child, context)) {
        const auto p = t->parent();
        if (p && TaxonomyTerm::namesMatch(*p, oldName))
            t->setParent(newParent);
    }
}

TaxonomyTerm* TaxonomyTerm::repeatOf(const TaxonomyTerm* term, ModelContext& context)
{
    if (!term)
        return nullptr;
    for (TaxonomyTerm* t : terms(term->kind(), context))
        if (t != term && namesMatch(t->name(), term->name()))
            return t;
    return nullptr;
}

void TaxonomyTerm::deleteTerm(TaxonomyTerm* term, ModelContext& context)
{
    if (!term)
        return;
    const TermKind k = term->kind();
    const QString n = term->name();
    // The parts and child terms that carry the name belong to the repeat just as much: deleting
    // one of two entries for a name must not strip it from them.
    if (!repeatOf(term, context)) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (Component* c : context.fetch<Component>()) {
            const auto v = c->value(k);
            if (v && namesMatch(*v, n)) {
                c->setValue(std::nullopt, k);
                c->setUpdatedAt(now);
            }
        }
        updateChildParents(k, n, std::nullopt, context);
    }
    context.deleteObject(term);
    context.save();
}

TaxonomyTerm* TaxonomyTerm::rename(TaxonomyTerm* term, const QString& newName, ModelContext& context)
{
    if (!term || term->isDeleted())
        return term;
    QString trimmed = trimWhitespaceAndNewlines(newName);
    if (trimmed.isEmpty() || namesMatch(trimmed, term->name()))
        return term;
    const QString oldName = term->name();
    const TermKind k = term->kind();
    // Another term of the kind already carries the name: two entries for one name would split
    // its parts between them (and deleting either would clear both), so the renamed term
    // joins the one that exists, under that term's spelling.
    TaxonomyTerm* existing = nullptr;
    for (TaxonomyTerm* t : terms(k, context))
        if (t != term && namesMatch(t->name(), trimmed)) {
            existing = t;
            break;
        }
    if (existing)
        trimmed = existing->name();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (Component* c : context.fetch<Component>()) {
        const auto v = c->value(k);
        if (v && namesMatch(*v, oldName)) {
            c->setValue(trimmed, k);
            c->setUpdatedAt(now);
        }
    }
    updateChildParents(k, oldName, trimmed, context);
    if (existing) {
        if (!existing->parent() && term->parent())
            existing->setParent(term->parent());
        context.deleteObject(term);
    } else {
        term->setName(trimmed);
    }
    context.save();
    return existing ? existing : term;
}
