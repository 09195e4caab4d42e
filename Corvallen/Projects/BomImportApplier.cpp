#include "Corvallen/Projects/BomImportApplier.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Platform/ModelContext.h"
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
        if (!step(sliceMilliseconds))
            scheduleStep();
    });
}

void BomImportApplier::start()
{
    if (step(sliceMilliseconds))
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
        fresh->setManufacturer(m.manufacturer);
        fresh->setCategory(m.category);
        component = m_context.insert(fresh);
        const bool newMaker = m.manufacturer && !m_makersSeen.contains(*m.manufacturer);
        const bool newCategory = m.category && !m_categoriesSeen.contains(*m.category);
        if (newMaker)
            m_makersSeen.insert(*m.manufacturer);
        if (newCategory)
            m_categoriesSeen.insert(*m.category);
        if (newMaker || newCategory)
            m_termSources.append(component);
    }
    StockAllocation::setPartUnsaved(component, m_project, m_matches.quantity(index), m_context);
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
