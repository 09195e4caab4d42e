#include "Corvallen/Projects/Views/ProjectOverviewView.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Widgets/Views/StatTile.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QVBoxLayout>

ProjectOverviewView::ProjectOverviewView(Project* project, ModelContext& context, QWidget* parent)
    : QWidget(parent), m_project(project)
{
    setObjectName(QStringLiteral("ProjectOverviewView"));
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(16);
    m_description = new QGroupBox(tr("Description"), this);
    m_description->setObjectName(QStringLiteral("descriptionBox"));
    auto* box = new QVBoxLayout(m_description);
    m_descriptionText = new QLabel(m_description);
    m_descriptionText->setWordWrap(true);
    m_descriptionText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_descriptionText->setTextFormat(Qt::PlainText);
    box->addWidget(m_descriptionText);
    stack->addWidget(m_description);

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    auto makeTile = [&](const QString& label, const QString& symbol, std::optional<ProjectFacet> opens) {
        auto* t = new StatTile(label, QStringLiteral("0"), symbol, this);
        t->setInteractive(opens.has_value());
        if (opens) {
            t->setToolTip(tr("View %1").arg(ProjectFacets::rawValue(*opens)));
            connect(t, &StatTile::clicked, this, [this, f = *opens] { Q_EMIT facetRequested(f); });
        }
        tiles->addWidget(t, 1);
        return t;
    };
    m_captures = makeTile(tr("Captures"), QStringLiteral("photo.stack"), ProjectFacet::captures);
    m_files = makeTile(tr("Files"), QStringLiteral("doc.text"), ProjectFacet::files);
    m_parts = makeTile(tr("Parts"), QStringLiteral("shippingbox"), ProjectFacet::parts);
    m_created = makeTile(tr("Created"), QStringLiteral("calendar"), std::nullopt);
    stack->addLayout(tiles);
    stack->addStretch(1);

    connect(&context, &ModelContext::changed, this, [this] {
        if (m_refreshQueued)
            return;
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_refreshQueued = false;
            refresh();
        });
    });
    refresh();
}

StatTile* ProjectOverviewView::tile(const QString& label) const
{
    for (StatTile* t : {m_captures, m_files, m_parts, m_created}) {
        if (t->label() == label)
            return t;
    }
    return nullptr;
}

bool ProjectOverviewView::showsDescription() const { return !m_description->isHidden(); }

void ProjectOverviewView::refresh()
{
    if (!m_project || m_project->isDeleted())
        return;
    const QString details = m_project->details();
    m_description->setHidden(details.isEmpty());
    m_descriptionText->setText(details);
    auto live = [](const auto& list) {
        qsizetype n = 0;
        for (const auto* item : list)
            n += item && !item->isDeleted() ? 1 : 0;
        return QString::number(n);
    };
    m_captures->setValue(live(m_project->captures()));
    m_files->setValue(live(m_project->attachments()));
    m_parts->setValue(live(m_project->parts()));
    m_created->setValue(ProjectTexts::abbreviatedDate(m_project->createdAt().toLocalTime().date()));
}
