#include "Corvallen/Inventory/Views/ComponentInspector.h"

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Inventory/ComponentEditing.h"
#include "Corvallen/Inventory/Views/AttachmentControl.h"
#include "Corvallen/Inventory/Views/ComboField.h"
#include "Corvallen/Inventory/Views/ShoppingLinkField.h"
#include "Corvallen/Inventory/Views/StatusBadge.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Widgets/Views/NumericField.h"
#include "Corvallen/Widgets/Views/TagEditor.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

using Getter = std::function<std::optional<QString>(const Component&)>;
using Setter = std::function<void(Component&, const std::optional<QString>&)>;

class Section : public QWidget {
public:
    Section(const QString& title, QWidget* parent) : QWidget(parent)
    {
        auto* l = new QVBoxLayout(this);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(6);
        auto* t = ViewStyle::label(title, ViewStyle::TextStyle::caption, QFont::Normal, true, this);
        t->setContentsMargins(2, 0, 0, 0);
        l->addWidget(t);
        body = new QFrame(this);
        body->setObjectName(QStringLiteral("InspectorSectionBody"));
        body->setStyleSheet(QStringLiteral("#InspectorSectionBody { background: rgba(128,128,128,28); border-radius: 10px; }"));
        rows = new QVBoxLayout(body);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(0);
        l->addWidget(body);
    }
    void addRow(QWidget* row)
    {
        if (rows->count() > 0) {
            auto* line = new QFrame(body);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Plain);
            line->setStyleSheet(QStringLiteral("color: rgba(128,128,128,60); margin-left: 12px;"));
            rows->addWidget(line);
        }
        rows->addWidget(row);
    }
    QWidget* labelRow(const QString& label, QWidget* control)
    {
        auto* row = new QWidget(body);
        auto* l = new QHBoxLayout(row);
        l->setContentsMargins(12, 8, 12, 8);
        l->setSpacing(12);
        auto* text = new QLabel(label, row);
        text->setObjectName(QStringLiteral("rowLabel"));
        text->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        l->addWidget(text);
        control->setParent(row);
        // Flexible controls take the rest of the row, so what is typed stays in view; fixed
        // ones (numbers, toggles) keep their size at the trailing edge.
        const bool flexible = control->sizePolicy().horizontalPolicy() != QSizePolicy::Fixed &&
                              control->minimumWidth() != control->maximumWidth();
        if (flexible)
            l->addWidget(control, 1);
        else
            l->addWidget(control, 0, Qt::AlignRight);
        addRow(row);
        return row;
    }
    QWidget* fullRow(QWidget* control)
    {
        auto* row = new QWidget(body);
        auto* l = new QHBoxLayout(row);
        l->setContentsMargins(12, 8, 12, 8);
        control->setParent(row);
        l->addWidget(control);
        addRow(row);
        return row;
    }
    QFrame* body;
    QVBoxLayout* rows;
};

QLineEdit* plainField(const QString& text)
{
    auto* e = new QLineEdit(text);
    e->setFrame(false);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setMinimumWidth(60);
    ViewStyle::showStartAtRest(e);  // a text longer than the field shows its beginning
    return e;
}

}  // namespace

ComponentInspector::ComponentInspector(ModelContext& context, Component* component, std::function<void()> onDone, QWidget* parent)
    : QWidget(parent), m_context(context), m_component(component), m_onDone(std::move(onDone))
{
    setObjectName(QStringLiteral("ComponentInspector"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 10, 12, 10);
    header->addWidget(ViewStyle::label(tr("Component"), ViewStyle::TextStyle::headline, QFont::DemiBold, false, this));
    header->addStretch(1);
    m_badge = new StatusBadge(component->status(), this);
    header->addWidget(m_badge);
    m_done = new QPushButton(tr("Done"), this);
    m_done->setDefault(true);
    m_done->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    connect(m_done, &QPushButton::clicked, this, &ComponentInspector::done);
    header->addWidget(m_done);
    outer->addLayout(header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(18);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    Component* c = m_component;
    // Return in a one-line field is Done, as it is for the header button (Ctrl+Return works
    // anywhere). Multi-line notes, the tag entry and the link fields keep Return for themselves.
    auto doneOnReturn = [this](QLineEdit* e) { connect(e, &QLineEdit::returnPressed, this, &ComponentInspector::done); };
    auto textRow = [&](Section* s, const QString& label, Getter get, Setter set) {
        QLineEdit* e = plainField(ComponentEditing::fieldText(get(*c)));
        connect(e, &QLineEdit::textEdited, this, [c, set](const QString& t) { set(*c, ComponentEditing::fieldValue(t)); });
        doneOnReturn(e);
        m_refreshers << [e, c, get] {
            const QString now = ComponentEditing::fieldText(get(*c));
            if (!e->hasFocus() && e->text() != now)
                e->setText(now);
        };
        m_texts.insert(label, e);
        s->labelRow(label, e);
    };
    auto directRow = [&](Section* s, const QString& label, std::function<QString(const Component&)> get,
                         std::function<void(Component&, const QString&)> set) {
        QLineEdit* e = plainField(get(*c));
        connect(e, &QLineEdit::textEdited, this, [c, set](const QString& t) { set(*c, t); });
        doneOnReturn(e);
        m_refreshers << [e, c, get] {
            if (!e->hasFocus() && e->text() != get(*c))
                e->setText(get(*c));
        };
        m_texts.insert(label, e);
        s->labelRow(label, e);
    };
    auto intRow = [&](Section* s, const QString& label, std::function<qint64(const Component&)> get,
                      std::function<void(Component&, qint64)> set) {
        QLineEdit* e = plainField(QLocale().toString(get(*c)));
        e->setFixedWidth(80);
        // The number is taken when the entry is committed (Return or leaving the field); text
        // that is no whole number leaves the stored one and stays, in red, to be mended. Only a
        // figure the user typed is taken: the stock moves under an open inspector (a project
        // takes parts), and the figure shown before that move must not be written back over it.
        auto take = [this, e, c, get, set] {
            if (e->isModified()) {
                const std::optional<qint64> v = ComponentEditing::quantityFromText(e->text());
                setRefused(e, !v);
                if (!v)
                    return;
                set(*c, *v);
            }
            e->setText(QLocale().toString(get(*c)));
            refresh();
        };
        connect(e, &QLineEdit::textEdited, this, [this, e] { setRefused(e, false); });
        connect(e, &QLineEdit::editingFinished, this, take);
        // Return reports itself before the entry finishes editing: take the number first.
        connect(e, &QLineEdit::returnPressed, this, [this, take] {
            take();
            done();
        });
        m_refreshers << [this, e, c, get] {
            if ((!e->hasFocus() || !e->isModified()) && !m_refused.contains(e))
                e->setText(QLocale().toString(get(*c)));
        };
        m_texts.insert(label, e);
        s->labelRow(label, e);
    };
    auto comboRow = [&](Section* s, const QString& label, TermKind kind) {
        auto* field = new ComboField(ComponentEditing::fieldText(c->value(kind)), optionsFor(kind));
        field->setMinimumWidth(80);
        connect(field, &ComboField::textEdited, this, [this, c, kind](const QString& t) {
            const std::optional<QString> v = ComponentEditing::fieldValue(t);
            switch (kind) {
            case TermKind::category: c->setCategory(v); break;
            case TermKind::subcategory: c->setSubcategory(v); break;
            case TermKind::manufacturer: c->setManufacturer(v); break;
            case TermKind::location: c->setLocation(v); break;
            case TermKind::bin: c->setBin(v); break;
            }
            // The subcategory and bin options follow the category and location.
            if (kind == TermKind::category)
                m_combos.value(int(TermKind::subcategory))->setOptions(optionsFor(TermKind::subcategory));
            if (kind == TermKind::location)
                m_combos.value(int(TermKind::bin))->setOptions(optionsFor(TermKind::bin));
        });
        connect(field, &ComboField::focusChanged, this, [this, kind](bool f) { focusChanged(f, kind); });
        doneOnReturn(field->lineEdit());
        m_refreshers << [this, field, c, kind] {
            if (!field->isFocused())
                field->setText(ComponentEditing::fieldText(c->value(kind)));
            field->setOptions(optionsFor(kind));
        };
        m_combos.insert(int(kind), field);
        s->labelRow(label, field);
    };
    auto multiRow = [&](Section* s, const QString& label, Getter get, Setter set) {
        auto* e = new QPlainTextEdit(ComponentEditing::fieldText(get(*c)));
        e->setFrameShape(QFrame::NoFrame);
        e->setTabChangesFocus(true);
        e->setMaximumHeight(QFontMetrics(e->font()).lineSpacing() * 8 + 10);
        e->setMinimumHeight(QFontMetrics(e->font()).lineSpacing() * 2 + 10);
        e->setMinimumWidth(80);
        connect(e, &QPlainTextEdit::textChanged, this, [c, e, set, get] {
            if (ComponentEditing::fieldText(get(*c)) != e->toPlainText())
                set(*c, ComponentEditing::fieldValue(e->toPlainText()));
        });
        m_refreshers << [e, c, get] {
            const QString now = ComponentEditing::fieldText(get(*c));
            if (!e->hasFocus() && e->toPlainText() != now)
                e->setPlainText(now);
        };
        s->labelRow(label, e);
    };

    auto* identity = new Section(tr("Identity"), content);
    directRow(identity, QStringLiteral("Name"), &Component::name, &Component::setName);
    textRow(identity, QStringLiteral("Part number"), &Component::partNumber, &Component::setPartNumber);
    comboRow(identity, QStringLiteral("Category"), TermKind::category);
    comboRow(identity, QStringLiteral("Subcategory"), TermKind::subcategory);
    comboRow(identity, QStringLiteral("Manufacturer"), TermKind::manufacturer);
    stack->addWidget(identity);

    auto* stock = new Section(tr("Stock"), content);
    intRow(stock, QStringLiteral("Quantity"), &Component::qty, &Component::setQty);
    directRow(stock, QStringLiteral("Unit"), &Component::unit, &Component::setUnit);
    intRow(stock, QStringLiteral("Reorder at (min qty)"), &Component::minQty, &Component::setMinQty);
    m_onOrder = new QCheckBox;
    m_onOrder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_onOrder->setChecked(ComponentEditing::onOrder(*c));
    connect(m_onOrder, &QCheckBox::toggled, this, [this, c](bool on) {
        ComponentEditing::setOnOrder(*c, on);
        refresh();
    });
    m_refreshers << [this, c] {
        const QSignalBlocker block(m_onOrder);
        m_onOrder->setChecked(ComponentEditing::onOrder(*c));
    };
    stock->labelRow(QStringLiteral("On order"), m_onOrder);
    stack->addWidget(stock);

    auto* place = new Section(tr("Location"), content);
    comboRow(place, QStringLiteral("Location"), TermKind::location);
    comboRow(place, QStringLiteral("Bin / drawer"), TermKind::bin);
    stack->addWidget(place);

    auto* electronics = new Section(tr("Electronics"), content);
    textRow(electronics, QStringLiteral("Voltage"), &Component::voltage, &Component::setVoltage);
    textRow(electronics, QStringLiteral("Current"), &Component::current, &Component::setCurrent);
    textRow(electronics, QStringLiteral("Power"), &Component::power, &Component::setPower);
    textRow(electronics, QStringLiteral("Interface"), &Component::interface, &Component::setInterface);
    textRow(electronics, QStringLiteral("Logic level"), &Component::logicLevel, &Component::setLogicLevel);
    textRow(electronics, QStringLiteral("Package"), &Component::package, &Component::setPackage);
    stack->addWidget(electronics);

    auto* files = new Section(tr("Files"), content);
    for (auto field : {AttachmentController::Field::datasheet, AttachmentController::Field::manual, AttachmentController::Field::photo}) {
        auto* a = new AttachmentControl(context, c, field);
        m_attachments << a;
        files->fullRow(a);
        m_refreshers << [a] { a->refresh(); };
    }
    stack->addWidget(files);

    auto* pricing = new Section(tr("Pricing"), content);
    const MoneyFormatter money;
    m_purchase = new NumericField(c->purchasePrice(), money.symbol(), QStringLiteral("0.00"), money.fractionDigits(), false);
    m_purchase->setFixedWidth(100);
    connect(m_purchase, &NumericField::valueEdited, this, [this, c](std::optional<double> v) {
        c->setPurchasePrice(v);
        refresh();
    });
    doneOnReturn(m_purchase->lineEdit());
    pricing->labelRow(QStringLiteral("Purchase (cost)"), m_purchase);
    m_resell = new NumericField(c->resellPrice(), money.symbol(), QStringLiteral("0.00"), money.fractionDigits(), false);
    m_resell->setFixedWidth(100);
    connect(m_resell, &NumericField::valueEdited, this, [this, c](std::optional<double> v) {
        c->setResellPrice(v);
        refresh();
    });
    doneOnReturn(m_resell->lineEdit());
    pricing->labelRow(QStringLiteral("Resell (charge)"), m_resell);
    m_margin = ViewStyle::label(QString(), ViewStyle::TextStyle::caption, QFont::Normal, true);
    m_margin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_marginRow = pricing->fullRow(m_margin);
    m_refreshers << [this, c] {
        m_purchase->setValue(c->purchasePrice());
        m_resell->setValue(c->resellPrice());
        const std::optional<QString> margin =
            ComponentEditing::marginText(c->purchasePrice(), c->resellPrice(), BusinessProfile::currentCurrencyCode());
        m_margin->setText(margin.value_or(QString()));
        m_marginRow->setVisible(margin.has_value());
    };
    stack->addWidget(pricing);

    auto* shopping = new Section(tr("Shopping link"), content);
    m_shopping = new ShoppingLinkField(ComponentEditing::fieldText(c->shoppingURL()));
    connect(m_shopping, &ShoppingLinkField::urlEdited, this,
            [c](const QString& t) { c->setShoppingURL(ComponentEditing::fieldValue(t)); });
    m_refreshers << [this, c] {
        if (!m_shopping->field()->hasFocus())
            m_shopping->setUrl(ComponentEditing::fieldText(c->shoppingURL()));
    };
    shopping->fullRow(m_shopping);
    stack->addWidget(shopping);

    auto* specs = new Section(tr("Specs & notes"), content);
    multiRow(specs, QStringLiteral("Key specs"), &Component::keySpecs, &Component::setKeySpecs);
    multiRow(specs, QStringLiteral("Notes"), &Component::notes, &Component::setNotes);
    stack->addWidget(specs);

    auto* tags = new Section(tr("Tags"), content);
    m_tags = new StringTagEditor(ComponentEditing::fieldText(c->tags()));
    connect(m_tags, &StringTagEditor::rawChanged, this, [c](const QString& raw) { c->setTags(ComponentEditing::fieldValue(raw)); });
    m_refreshers << [this, c] {
        const QString now = ComponentEditing::fieldText(c->tags());
        if (m_tags->raw() != now)
            m_tags->setRaw(now);
    };
    tags->fullRow(m_tags);
    stack->addWidget(tags);
    stack->addStretch(1);

    // One label column for every section, so the fields and drop-downs start on one line.
    int labelWidth = 0;
    const QList<QLabel*> rowLabels = content->findChildren<QLabel*>(QStringLiteral("rowLabel"));
    for (QLabel* l : rowLabels)
        labelWidth = std::max(labelWidth, l->sizeHint().width());
    for (QLabel* l : rowLabels)
        l->setFixedWidth(labelWidth);

    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == Component::descriptor().name || entity == TaxonomyTerm::descriptor().name)
            refresh();
    });
    refresh();
}

ComponentInspector::~ComponentInspector()
{
    // Closing the window moves the focus out of the field being edited (a combo field, or a
    // quantity that commits on leaving); its report must not reach an inspector that is half gone.
    for (ComboField* field : std::as_const(m_combos))
        field->disconnect(this);
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->disconnect(this);
}

QStringList ComponentInspector::optionsFor(TermKind kind) const
{
    return ComponentEditing::comboOptions(kind, ComponentEditing::comboParent(*m_component, kind),
                                          m_context.fetch<TaxonomyTerm>());
}

void ComponentInspector::focusChanged(bool focused, TermKind kind)
{
    if (focused)
        m_activeKind = kind;
    else if (m_activeKind == kind)
        m_activeKind.reset();
    for (auto it = m_combos.begin(); it != m_combos.end(); ++it)
        it.value()->setChevronHidden(m_activeKind && int(*m_activeKind) != it.key());
}

void ComponentInspector::refresh()
{
    if (m_component->isDeleted())
        return;
    m_badge->setStatus(m_component->status());
    for (const auto& r : std::as_const(m_refreshers))
        r();
}

void ComponentInspector::setRefused(QLineEdit* field, bool refused)
{
    if (refused == m_refused.contains(field))
        return;
    if (refused)
        m_refused.insert(field);
    else
        m_refused.remove(field);
    QPalette pal = field->palette();
    pal.setColor(QPalette::Text, refused ? ThemeManager::red(palette(), QPalette::Base) : palette().color(QPalette::Text));
    field->setPalette(pal);
    field->setToolTip(refused ? tr("Not a whole number") : QString());
}

void ComponentInspector::done()
{
    // A figure that is no number stays in its field to be mended; the inspector doesn't close on it.
    for (NumericField* price : {m_purchase, m_resell}) {
        if (!price->isReadable()) {
            price->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (!m_refused.isEmpty()) {
        (*m_refused.cbegin())->setFocus(Qt::OtherFocusReason);
        return;
    }
    ComponentEditing::commit(*m_component, m_context);
    refresh();
    if (m_onDone)
        m_onDone();
}
