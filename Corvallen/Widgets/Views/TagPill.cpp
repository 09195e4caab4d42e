#include "Corvallen/Widgets/Views/TagPill.h"

#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"

TagPill::TagPill(Tag* tag, std::function<void()> onRemove, QWidget* parent)
    : StringTagPill(QString(), std::move(onRemove), parent), m_tag(tag)
{
    if (m_tag) {
        m_shownName = m_tag->name();
        m_shownColor = m_tag->colorHex();
        if (ModelContext* context = m_tag->modelContext()) {
            connect(context, &ModelContext::changed, this, [this](const QString& entity) {
                if (entity == Tag::descriptor().name)
                    tagMayHaveChanged();
            });
            // The records live as long as their context; once it is gone the pill keeps what it
            // showed last.
            connect(context, &QObject::destroyed, this, [this] { m_tag = nullptr; });
        }
    }
    nameChanged();
}

QString TagPill::name() const { return m_shownName; }

QColor TagPill::pillColor() const { return colorFromHex(m_shownColor); }

void TagPill::tagMayHaveChanged()
{
    if (!m_tag)
        return;
    const QString name = m_tag->name();
    const QString color = m_tag->colorHex();
    if (name == m_shownName && color == m_shownColor)
        return;
    const bool renamed = name != m_shownName;
    m_shownName = name;
    m_shownColor = color;
    if (renamed)
        nameChanged();
    else
        update();
}
