#include "Corvallen/Inventory/Views/AttachmentControl.h"
#include "Corvallen/Platform/AppPaths.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int previewHeight = 170;
}

AttachmentControl::AttachmentControl(ModelContext& context, Component* component, AttachmentController::Field field, QWidget* parent)
    : QWidget(parent), m_controller(new AttachmentController(context, component, field, this))
{
    setAcceptDrops(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(new QLabel(m_controller->label(), this));
    row->addStretch(1);
    m_actions = new QToolButton(this);
    setSymbolOrText(m_actions, QStringLiteral("ellipsis.circle"), QStringLiteral("\u22EF"));
    m_actions->setAutoRaise(true);
    m_actions->setPopupMode(QToolButton::InstantPopup);
    m_actions->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    m_actions->setToolTip(tr("Attach or remove the %1").arg(m_controller->label().toLower()));
    auto* menu = new QMenu(m_actions);
    connect(menu->addAction(tr("From file…")), &QAction::triggered, this, [this] { showOpenPanel(); });
    connect(menu->addAction(tr("From link…")), &QAction::triggered, this, [this] { showLinkAlert(); });
    m_removeSeparator = menu->addSeparator();
    m_remove = menu->addAction(tr("Remove"));
    connect(m_remove, &QAction::triggered, m_controller, &AttachmentController::remove);
    m_actions->setMenu(menu);

    if (m_controller->kind() == AttachmentController::Kind::document) {
        m_open = new QPushButton(tr("Open"), this);
        connect(m_open, &QPushButton::clicked, m_controller, [this] { m_controller->open(); });
        m_none = ViewStyle::label(tr("None"), ViewStyle::TextStyle::caption, QFont::Normal, true, this);
        row->addWidget(m_open);
        row->addWidget(m_none);
        row->addWidget(m_actions);
        column->addLayout(row);
    } else {
        row->addWidget(m_actions);
        column->addLayout(row);
        m_preview = new QLabel(this);
        m_preview->setAlignment(Qt::AlignCenter);
        m_preview->installEventFilter(this);
        column->addWidget(m_preview);
    }

    m_progress = new QProgressBar(this);
    m_progress->setMaximumHeight(8);
    m_progress->setTextVisible(false);
    column->addWidget(m_progress);
    m_error = new QLabel(this);
    m_error->setFont(ViewStyle::font(ViewStyle::TextStyle::caption2));
    ThemeManager::makeRed(m_error);
    m_error->setWordWrap(true);
    column->addWidget(m_error);

    connect(m_controller, &AttachmentController::changed, this, &AttachmentControl::refresh);
    refresh();
}

void AttachmentControl::refresh()
{
    const bool attached = m_controller->file().has_value();
    m_removeSeparator->setVisible(attached);
    m_remove->setVisible(attached);
    if (m_open) {
        m_open->setVisible(attached);
        m_none->setVisible(!attached);
    }
    updatePreview();
    m_progress->setVisible(m_controller->busy());
    if (m_controller->expected() > 0) {
        m_progress->setRange(0, 1000);
        m_progress->setValue(int(1000 * m_controller->received() / m_controller->expected()));
    } else {
        m_progress->setRange(0, 0);
    }
    m_error->setVisible(m_controller->error().has_value());
    m_error->setText(m_controller->error().value_or(QString()));
}

void AttachmentControl::updatePreview()
{
    if (!m_preview)
        return;
    const QString name = m_controller->file().value_or(QString());
    if (name != m_imageName) {
        m_imageName = name;
        QImageReader reader(m_controller->storedPath());
        reader.setAutoTransform(true);
        m_image = name.isEmpty() ? QImage() : reader.read();
    }
    m_showsPhoto = !m_image.isNull();
    if (m_showsPhoto) {
        const double aspect = double(m_image.width()) / std::max(1, m_image.height());
        const int areaWidth = std::max(100, width() > 0 ? width() : 300);
        const int w = std::max(1, int(std::min(previewHeight * aspect, double(areaWidth))));
        m_preview->setPixmap(QPixmap::fromImage(
            m_image.scaled(w, std::max(1, int(w / aspect)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        m_preview->setFixedHeight(previewHeight);
        m_preview->setCursor(Qt::PointingHandCursor);
        m_preview->setToolTip(tr("Open the photo"));
        m_preview->setStyleSheet(QString());
    } else {
        m_preview->setPixmap(QPixmap());
        m_preview->setText(tr("No photo"));
        m_preview->setFixedHeight(110);
        m_preview->unsetCursor();
        m_preview->setToolTip(QString());
        m_preview->setStyleSheet(QStringLiteral("border-radius: 8px; background: rgba(128,128,128,40);"));
    }
}

void AttachmentControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_showsPhoto)
        updatePreview();
}

QDialog* AttachmentControl::showLinkAlert()
{
    delete m_linkAlert;
    auto* alert = new QDialog(this);
    m_linkAlert = alert;
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowTitle(m_controller->linkAlertTitle());
    auto* l = new QVBoxLayout(alert);
    auto* title = ViewStyle::label(m_controller->linkAlertTitle(), ViewStyle::TextStyle::headline, QFont::DemiBold, false, alert);
    l->addWidget(title);
    m_linkField = new QLineEdit(m_controller->rememberedURL(), alert);
    m_linkField->setPlaceholderText(QStringLiteral("https://…"));
    m_linkField->setMinimumWidth(320);
    l->addWidget(m_linkField);
    auto* buttons = new QDialogButtonBox(alert);
    QPushButton* download = buttons->addButton(tr("Download"), QDialogButtonBox::AcceptRole);
    download->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    l->addWidget(buttons);
    QLineEdit* field = m_linkField;
    connect(buttons, &QDialogButtonBox::accepted, alert, [this, alert, field] {
        const QString link = field->text();
        alert->accept();
        m_controller->download(link);
    });
    connect(buttons, &QDialogButtonBox::rejected, alert, &QDialog::reject);
    alert->setWindowModality(Qt::WindowModal);
    alert->open();
    return alert;
}

QFileDialog* AttachmentControl::showOpenPanel()
{
    auto* panel = new QFileDialog(this, tr("Choose a file"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setDirectory(AppPaths::saveFolder());
    if (m_controller->kind() == AttachmentController::Kind::photo)
        panel->setNameFilters({tr("Images (*.png *.jpg *.jpeg *.gif *.webp *.bmp *.tif *.tiff *.heic)"), tr("All files (*)")});
    connect(panel, &QFileDialog::fileSelected, m_controller, [this](const QString& path) {
        if (!path.isEmpty())
            m_controller->importFile(path);
    });
    panel->setWindowModality(Qt::WindowModal);
    panel->open();
    return panel;
}

void AttachmentControl::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void AttachmentControl::dropEvent(QDropEvent* event)
{
    if (m_controller->drop(event->mimeData()->urls()))
        event->acceptProposedAction();
}

bool AttachmentControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_preview && event->type() == QEvent::MouseButtonRelease && m_showsPhoto
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        m_controller->open();
    return QWidget::eventFilter(watched, event);
}
