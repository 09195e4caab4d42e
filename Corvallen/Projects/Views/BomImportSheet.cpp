#include "Corvallen/Projects/Views/BomImportSheet.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Projects/BomImportApplier.h"
#include "Corvallen/Projects/BomImportPlan.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The preview lines, read from the match list only for the rows on screen.
class MatchTableModel : public QAbstractTableModel {
public:
    MatchTableModel(const BomImport::MatchList& matches, QWidget* view) : QAbstractTableModel(view), m_matches(matches), m_view(view) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_matches.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal)
            return {};
        if (role == Qt::DisplayRole) {
            switch (section) {
            case 0: return BomImportSheet::tr("Part").toUpper();
            case 1: return BomImportSheet::tr("Qty").toUpper();
            case 2: return BomImportSheet::tr("Match").toUpper();
            case 3: return BomImportSheet::tr("In stock").toUpper();
            }
        }
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue((section == 1 || section == 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        return {};
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_matches.size())
            return {};
        const qsizetype row = index.row();
        Component* existing = m_matches.existing(row);
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            switch (index.column()) {
            case 0: {
                const QString detail = BomImportPlan::detailText(m_matches.at(row));
                return detail.isEmpty() ? m_matches.name(row) : m_matches.name(row) + u'\n' + detail;
            }
            case 1: return QString::number(m_matches.quantity(row));
            case 2: return existing ? BomImportSheet::tr("in inventory") : BomImportSheet::tr("NEW");
            case 3: return existing ? QString::number(existing->qty()) : QStringLiteral("—");
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue((index.column() == 1 || index.column() == 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case Qt::FontRole:
            if (index.column() == 2 && !existing) {
                QFont bold = m_view->font();
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ForegroundRole:
            if (index.column() == 2)
                return existing ? m_view->palette().brush(QPalette::PlaceholderText) : QBrush(QColor(0xE0, 0x78, 0x00));
            if (index.column() == 3)
                return m_view->palette().brush(QPalette::PlaceholderText);
            return {};
        case Qt::SizeHintRole:
            // Room for the name and its detail line on every row.
            if (index.column() == 0)
                return QSize(-1, 2 * QFontMetrics(m_view->font()).lineSpacing() + 8);
            return {};
        case Qt::BackgroundRole:
            if (index.column() == 2 && !existing)
                return QBrush(QColor(255, 149, 0, 51));
            return {};
        }
        return {};
    }

private:
    const BomImport::MatchList& m_matches;
    QWidget* m_view;
};

}  // namespace

BomImportSheet::BomImportSheet(BomImport::MatchList matches, Project* project, ModelContext& context, QWidget* parent)
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
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setAutoDefault(false);
    m_import = new QPushButton(BomImportPlan::importButtonTitle(m_matches), this);
    m_import->setObjectName(QStringLiteral("importButton"));
    m_import->setDefault(true);
    m_import->setEnabled(!m_matches.isEmpty());
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_cancel);
    header->addWidget(m_import);
    outer->addLayout(header);

    m_summary = new QLabel(BomImportPlan::summaryText(m_matches), this);
    m_summary->setObjectName(QStringLiteral("importSummary"));
    m_summary->setWordWrap(true);
    m_summary->setForegroundRole(QPalette::PlaceholderText);
    m_summary->setContentsMargins(12, 0, 12, 8);
    outer->addWidget(m_summary);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("importProgress"));
    m_progress->setRange(0, int(std::min<qsizetype>(m_matches.size(), std::numeric_limits<int>::max())));
    m_progress->setTextVisible(false);
    m_progress->hide();
    auto* progressRow = new QHBoxLayout;
    progressRow->setContentsMargins(12, 0, 12, 8);
    progressRow->addWidget(m_progress);
    outer->addLayout(progressRow);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    // A table, not a tree: a tree keeps an entry for every line it lays out (tens of megabytes for
    // a file of half a million parts), a table only the height of each, and they look the same.
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("matches"));
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setShowGrid(false);
    m_table->setTabKeyNavigation(false);
    m_table->setCornerButtonEnabled(false);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setModel(new MatchTableModel(m_matches, m_table));
    // Every row has room for the name and its detail line; equal heights keep a long list
    // from being measured row by row.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(2 * QFontMetrics(m_table->font()).lineSpacing() + 8);
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        columns->setSectionResizeMode(column, QHeaderView::Fixed);
    m_table->setColumnWidth(1, 44 + 12);
    m_table->setColumnWidth(2, 120);
    m_table->setColumnWidth(3, 64 + 12);
    outer->addWidget(m_table, 1);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_import, &QPushButton::clicked, this, &BomImportSheet::importAll);
}

QString BomImportSheet::summaryText() const { return m_summary->text(); }

bool BomImportSheet::isImporting() const { return m_applier && !m_applier->isFinished(); }

void BomImportSheet::importAll()
{
    if (m_matches.isEmpty() || m_applier)
        return;
    m_applier = new BomImportApplier(m_matches, m_project, m_context, this);
    connect(m_applier, &BomImportApplier::progress, m_progress, [this](qsizetype done, qsizetype) {
        m_progress->setValue(int(std::min<qsizetype>(done, m_progress->maximum())));
    });
    connect(m_applier, &BomImportApplier::finished, this, &QDialog::accept);
    m_import->setEnabled(false);
    m_cancel->setEnabled(false);
    m_progress->show();
    m_applier->start();
}

void BomImportSheet::reject()
{
    // Half an import can't be taken back: once started, it runs to its end.
    if (isImporting())
        return;
    QDialog::reject();
}
