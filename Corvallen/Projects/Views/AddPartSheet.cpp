#include "Corvallen/Projects/Views/AddPartSheet.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/PartStatusBadge.h"
#include "Corvallen/Projects/Views/QtyStepper.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QFrame* divider(QWidget* parent)
{
    auto* d = new QFrame(parent);
    d->setFrameShape(QFrame::HLine);
    d->setFrameShadow(QFrame::Sunken);
    return d;
}
}  // namespace

AddPartSheet::AddPartSheet(Component* component, Project* project, ModelContext& context, QWidget* parent)
    : QDialog(parent), m_component(component), m_project(project), m_context(context)
{
    setObjectName(QStringLiteral("AddPartSheet"));
    const ProjectComponent* line = StockAllocation::lineFor(component, project);
    m_quantity = line ? line->quantity() : 1;
    const bool isUpdate = existing();
    setWindowTitle(isUpdate ? tr("Update part") : tr("Add part"));
    setFixedWidth(360);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(12, 12, 12, 12);
    auto* title = new QLabel(windowTitle(), this);
    title->setObjectName(QStringLiteral("sheetTitle"));
    QFont hf = title->font();
    hf.setBold(true);
    title->setFont(hf);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    outer->addLayout(titleRow);
    outer->addWidget(divider(this));

    auto* content = new QVBoxLayout;
    content->setContentsMargins(12, 12, 12, 12);
    content->setSpacing(16);
    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    auto* name = new QLabel(component ? component->name() : QString(), this);
    name->setWordWrap(true);
    QFont nf = name->font();
    nf.setBold(true);
    nf.setPointSizeF(nf.pointSizeF() * 1.2);
    name->setFont(nf);
    name->setMaximumHeight(name->fontMetrics().lineSpacing() * 2 + 2);
    auto* caption = new ElidedLabel(ProjectTexts::projectCaption(project), this);
    caption->setObjectName(QStringLiteral("projectCaption"));
    caption->setForegroundRole(QPalette::PlaceholderText);
    names->addWidget(name);
    names->addWidget(caption);
    content->addLayout(names);

    auto* qtyRow = new QHBoxLayout;
    auto* qtyLabel = new QLabel(tr("Quantity"), this);
    qtyLabel->setForegroundRole(QPalette::PlaceholderText);
    m_stepper = new QtyStepper(m_quantity, this);
    qtyRow->addWidget(qtyLabel);
    qtyRow->addStretch(1);
    qtyRow->addWidget(m_stepper);
    content->addLayout(qtyRow);

    auto* stockRow = new QHBoxLayout;
    stockRow->setSpacing(8);
    if (component) {
        stockRow->addWidget(makePartStatusBadge(component->status(), this));
        auto* stock = new QLabel(ProjectTexts::stockText(component), this);
        stock->setObjectName(QStringLiteral("stock"));
        stock->setForegroundRole(QPalette::PlaceholderText);
        stockRow->addWidget(stock);
    }
    stockRow->addStretch(1);
    content->addLayout(stockRow);
    outer->addLayout(content);
    outer->addWidget(divider(this));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 12, 12, 12);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setAutoDefault(false);
    m_confirm = new QPushButton(isUpdate ? tr("Update") : tr("Add"), this);
    m_confirm->setObjectName(QStringLiteral("confirmButton"));
    m_confirm->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_confirm);
    outer->addLayout(buttons);

    connect(m_stepper, &QtyStepper::quantityEdited, this, [this](qint64 q) { m_quantity = q; });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, this, &AddPartSheet::confirm);
}

bool AddPartSheet::existing() const { return StockAllocation::lineFor(m_component, m_project) != nullptr; }

void AddPartSheet::confirm()
{
    // Return in the quantity field commits what was typed before the sheet acts on it.
    // A figure the field refused keeps the sheet open on it, instead of closing with the old one.
    if (!m_stepper->commitTyped()) {
        m_stepper->field()->setFocus(Qt::OtherFocusReason);
        return;
    }
    StockAllocation::setPart(m_component, m_project, m_quantity, m_context);
    accept();
}
