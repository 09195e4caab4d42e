#include "Corvallen/Projects/BomImportApplier.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QTimer>

BomImportApplier::BomImportApplier(BomImport::MatchList matches, Project* project, ModelContext& context, QObject* parent)
    : QObject(parent), m_matches(std::move(matches)), m_project(project), m_context(context)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, [this] {
        if (!step(m_sliceMs))
            scheduleStep();
    });
}

void BomImportApplier::start()
{
    if (step(m_sliceMs))
        return;
    scheduleStep();
}

void BomImportApplier::runToEnd() { step(-1); }

void BomImportApplier::scheduleStep()
{
    // A timer, not a queued call: between two slices the window takes its input, paints and
    // runs its own timers, whatever else is queued.
    m_next.start();
}

void BomImportApplier::applyOne(qsizetype index)
{
    Component* component = m_matches.existing(index);
    // A component deleted while the preview was open is gone from the inventory: the part is
    // new again rather than lost.
    if (!component || component->isDeleted()) {
        const BomImport::Match m = m_matches.at(index);
        auto* fresh = new Component(m.name);
        fresh->setPartNumber(m.partNumber);
        const std::optional<QString> maker = spellingOf(m.manufacturer, m_makerSpellings, int(TermKind::manufacturer));
        const std::optional<QString> category = spellingOf(m.category, m_categorySpellings, int(TermKind::category));
        fresh->setManufacturer(maker);
        fresh->setCategory(category);
        component = m_context.insert(fresh);
    }
    // Every part the import puts on the project, new or found, has its maker and category in
    // the term lists afterwards: one found in the inventory may carry values typed before they
    // were terms.
    const std::optional<QString> maker = component->manufacturer();
    const std::optional<QString> category = component->category();
    const bool newMaker = maker && !m_makersSeen.contains(*maker);
    const bool newCategory = category && !m_categoriesSeen.contains(*category);
    if (newMaker)
        m_makersSeen.insert(*maker);
    if (newCategory)
        m_categoriesSeen.insert(*category);
    if (newMaker || newCategory)
        m_termSources.append(component);
    StockAllocation::setPartUnsaved(component, m_project, m_matches.quantity(index), m_context);
}

std::optional<QString> BomImportApplier::spellingOf(const std::optional<QString>& value, Spellings& spellings, int kind)
{
    if (!value)
        return value;
    // Letter case, composed or decomposed accents and runs of blanks don't make another name.
    const auto fold = [](const QString& text) { return TextCompare::searchLowered(text.normalized(QString::NormalizationForm_C).simplified()); };
    if (!spellings.loaded) {
        spellings.loaded = true;
        for (const TaxonomyTerm* term : TaxonomyTerm::terms(TermKind(kind), m_context))
            spellings.folded.insert(fold(term->name()), term->name());
    }
    const QString key = fold(*value);
    QString stored = spellings.folded.value(key);
    if (stored.isNull()) {
        stored = *value;
        spellings.folded.insert(key, stored);
    }
    return stored;
}

bool BomImportApplier::step(qint64 budgetMs)
{
    if (m_finished)
        return true;
    QString error;
    QElapsedTimer clock;
    clock.start();
    if (m_project && !m_project->isDeleted() && m_done < total()) {
        const qsizetype before = m_done;
        // Saving a slice takes about as long as making it: half the budget goes to each.
        while (m_done < total() && (budgetMs < 0 || m_done == before || clock.elapsed() < budgetMs / 2))
            applyOne(m_done++);
        // Each slice is saved by itself; a failed save keeps its changes pending for the next.
        if (!m_context.save(&error))
            qWarning() << "Imported parts kept pending; saving failed:" << error;
        Q_EMIT progress(m_done, total());
        // After a long import the term lists are brought up to date in a turn of their own.
        if (m_done < total() || (budgetMs >= 0 && clock.elapsed() >= budgetMs / 2))
            return false;
    }
    if (m_project && !m_project->isDeleted()) {
        TaxonomyTerm::seedFromComponents(m_context, m_termSources);
        if (!m_context.save(&error))
            qWarning() << "Imported parts kept pending; saving failed:" << error;
    }
    m_done = total();
    m_finished = true;
    Q_EMIT finished();
    return true;
}
