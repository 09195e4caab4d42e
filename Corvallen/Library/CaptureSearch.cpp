#include "Corvallen/Library/CaptureSearch.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// Before every field of a capture's text, so that a term found in the text lies within one
// field, as the search asks.
constexpr char kFieldMark = '\x1f';

void appendText(QByteArray& out, const Capture& capture)
{
    auto add = [&](const QString& field) {
        out += kFieldMark;
        out += TextCompare::searchLowered(field).toUtf8();
    };
    add(capture.title());
    add(capture.notes());
    if (const auto mode = capture.mode())
        add(*mode);
    for (const Tag* tag : capture.tags())
        add(tag->name());
}

// Whether a term can be looked for in the UTF-8 text: a valid UTF-8 term is found there exactly
// where it is found in the fields. Terms holding the field mark, or characters that UTF-8 can't
// carry one for one (a lone surrogate, the replacement character), are matched field by field.
bool searchableInText(const QString& term)
{
    for (const QChar c : term)
        if (c == QLatin1Char(kFieldMark) || c.isSurrogate() || c == QChar::ReplacementCharacter)
            return false;
    return true;
}

}  // namespace

CaptureSearch::CaptureSearch(const ModelContext& context)
    : m_context(context)
{
}

void CaptureSearch::update()
{
    const quint64 captures = m_context.generation(Capture::descriptor().name);
    const quint64 tags = m_context.generation(Tag::descriptor().name);
    if (m_built && captures == m_captureGeneration && tags == m_tagGeneration)
        return;
    // A renamed or deleted tag changes the text of every capture that carries it.
    const bool keepTexts = m_built && tags == m_tagGeneration;
    QHash<const Capture*, qsizetype> before;
    if (keepTexts) {
        before.reserve(m_order.size());
        for (qsizetype i = 0; i < m_order.size(); ++i)
            before.insert(m_order.at(i), i);
    }
    const QList<Capture*> order = LibraryFilter::allCapturesNewestFirst(m_context);
    std::vector<quint32> changes;
    std::vector<qsizetype> starts;
    QByteArray text;
    changes.reserve(size_t(order.size()));
    starts.reserve(size_t(order.size()) + 1);
    text.reserve(m_text.size() + 64);
    for (const Capture* c : order) {
        starts.push_back(text.size());
        changes.push_back(c->changeCount());
        const qsizetype was = keepTexts ? before.value(c, -1) : -1;
        if (was >= 0 && m_changes[size_t(was)] == c->changeCount())
            text.append(m_text.constData() + m_starts[size_t(was)], m_starts[size_t(was) + 1] - m_starts[size_t(was)]);
        else
            appendText(text, *c);
    }
    starts.push_back(text.size());
    m_order = order;
    m_changes = std::move(changes);
    m_starts = std::move(starts);
    m_text = std::move(text);
    m_captureGeneration = captures;
    m_tagGeneration = tags;
    m_built = true;
}

QList<Capture*> CaptureSearch::results(LibraryFilter::Scope scope, const QString& search)
{
    update();
    const QString term = LibraryFilter::queryTerm(search);
    auto inScope = [scope](const Capture* c) { return scope == LibraryFilter::Scope::all || !c->project(); };
    QList<Capture*> out;
    if (term.isEmpty()) {
        if (scope == LibraryFilter::Scope::all)
            return m_order;
        for (Capture* c : std::as_const(m_order))
            if (inScope(c))
                out.append(c);
        return out;
    }
    if (!searchableInText(term))
        return LibraryFilter::filterCaptures(m_order, scope, search);
    // One pass over the text: each find names the capture whose text holds it (finds come in
    // text order, so that capture is found by walking on from the last one), and the search
    // goes on after that capture's text.
    const QByteArray needle = term.toUtf8();
    const char* begin = m_text.constData();
    const char* end = begin + m_text.size();
    const std::boyer_moore_horspool_searcher find(needle.cbegin(), needle.cend());
    size_t index = 0;
    for (const char* at = begin; at < end;) {
        const char* hit = needle.size() < 4 ? static_cast<const char*>(memmem(at, size_t(end - at), needle.constData(), size_t(needle.size())))
                                             : std::search(at, end, find);
        if (!hit || hit == end)
            break;
        const qsizetype offset = hit - begin;
        while (m_starts[index + 1] <= offset)
            ++index;
        Capture* c = m_order.at(qsizetype(index));
        if (inScope(c))
            out.append(c);
        at = begin + m_starts[index + 1];
    }
    return out;
}
