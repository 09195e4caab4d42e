#include "Corvallen/Projects/Views/BomImportSheet.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Projects/BomImportPlan.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

BomImportSheet::BomImportSheet(QList<BomImport::Match> matches, Project* project, ModelContext& context, QWidget* parent)
    : QDialog(parent), m_matches(std::move(matches)), m_project(project), m_context(context)
{
    setObjectName(QStringLiteral("BomImportSheet"));
    setWindowTitle(tr("Import BOM"));
    setFixedSize(560, 460);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    auto* title = new QLabel(tr("Import BOM"), this);
    QFont hf = title->font();
    hf.setBold(true);
    title->setFont(hf);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setAutoDefault(false);
    m_import = new QPushButton(BomImportPlan::importButtonTitle(m_matches), this);
    m_import->setObjectName(QStringLiteral("importButton"));
    m_import->setDefault(true);
    m_import->setEnabled(!m_matches.isEmpty());
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(cancel);
    header->addWidget(m_import);
    outer->addLayout(header);

    m_summary = new QLabel(BomImportPlan::summaryText(m_matches), this);
    m_summary->setObjectName(QStringLiteral("importSummary"));
    m_summary->setWordWrap(true);
    m_summary->setForegroundRole(QPalette::PlaceholderText);
    m_summary->setContentsMargins(12, 0, 12, 8);
    outer->addWidget(m_summary);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    m_table = new QTreeWidget(this);
    m_table->setObjectName(QStringLiteral("matches"));
    m_table->setRootIsDecorated(false);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setColumnCount(4);
    m_table->setHeaderLabels({tr("Part").toUpper(), tr("Qty").toUpper(), tr("Match").toUpper(), tr("In stock").toUpper()});
    m_table->header()->setStretchLastSection(false);
    m_table->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_table->header()->setSectionResizeMode(2, QHeaderView::Fixed);
    m_table->header()->setSectionResizeMode(3, QHeaderView::Fixed);
    m_table->setColumnWidth(1, 44 + 12);
    m_table->setColumnWidth(2, 120);
    m_table->setColumnWidth(3, 64 + 12);
    m_table->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_table->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    QList<QTreeWidgetItem*> items;
    items.reserve(m_matches.size());
    for (const BomImport::Match& m : m_matches) {
        auto* item = new QTreeWidgetItem;
        items.append(item);
        const QString detail = BomImportPlan::detailText(m);
        item->setText(0, detail.isEmpty() ? m.name : m.name + u'\n' + detail);
        item->setToolTip(0, item->text(0));
        item->setText(1, QString::number(m.quantity));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, m.existing ? QString::number(m.existing->qty()) : QStringLiteral("—"));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        // Drawn as item text rather than a widget per row, so a long bill of materials opens at once.
        if (m.existing) {
            item->setText(2, tr("in inventory"));
            item->setForeground(2, palette().brush(QPalette::PlaceholderText));
        } else {
            item->setText(2, tr("NEW"));
            QFont bold = item->font(2);
            bold.setBold(true);
            item->setFont(2, bold);
            item->setForeground(2, QColor(0xE0, 0x78, 0x00));
            item->setBackground(2, QColor(255, 149, 0, 51));
        }
    }
    m_table->addTopLevelItems(items);
    m_table->setUniformRowHeights(false);
    outer->addWidget(m_table, 1);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_import, &QPushButton::clicked, this, &BomImportSheet::importAll);
}

QString BomImportSheet::summaryText() const { return m_summary->text(); }

void BomImportSheet::importAll()
{
    if (m_matches.isEmpty())
        return;
    BomImportPlan::apply(m_matches, m_project, m_context);
    accept();
}
