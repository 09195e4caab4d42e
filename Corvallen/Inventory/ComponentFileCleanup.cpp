#include "Corvallen/Inventory/ComponentFileCleanup.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/ComponentFileStore.h"
#include "Corvallen/Store/ModelContext.h"

ComponentFileCleanup& ComponentFileCleanup::forContext(ModelContext& context)
{
    if (auto* existing = context.findChild<ComponentFileCleanup*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new ComponentFileCleanup(context);
}

ComponentFileCleanup::ComponentFileCleanup(ModelContext& context)
    : QObject(&context), m_context(context)
{
    connect(&context, &ModelContext::didSave, this, &ComponentFileCleanup::onSaved);
}

void ComponentFileCleanup::scheduleRemoval(const QString& fileName)
{
    if (!fileName.isEmpty())
        m_pending.insert(fileName);
}

bool ComponentFileCleanup::isNamed(const QString& fileName, ModelContext& context)
{
    const auto names = [&](const Component* c) {
        return c->photoFile() == fileName || c->datasheetFile() == fileName || c->manualFile() == fileName;
    };
    return context.fetchCount<Component>(names) > 0;
}

void ComponentFileCleanup::onSaved()
{
    // Every change is in the store now, so the live components are what the store holds.
    const QSet<QString> names = std::exchange(m_pending, {});
    for (const QString& name : names)
        if (!isNamed(name, m_context))
            ComponentFileStore::deleteComponentFile(name);
}
