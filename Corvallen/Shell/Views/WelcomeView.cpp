#include "Corvallen/Shell/Views/WelcomeView.h"

#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

WelcomeView::WelcomeView(std::function<void(const QString&)> openWindow, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), m_openWindow(std::move(openWindow)), m_dismiss(std::move(dismiss))
{
    setObjectName(QStringLiteral("WelcomeView"));
    setFixedWidth(520);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 32, 32, 32);
    column->setSpacing(20);

    // Header: icon, title, version.
    auto* header = new QVBoxLayout;
    header->setSpacing(10);
    auto* icon = new QLabel(this);
    const qreal dpr = devicePixelRatioF();
    QPixmap pm = QApplication::windowIcon().pixmap(QSize(84, 84), dpr);
    icon->setPixmap(pm);
    icon->setFixedSize(84, 84);
    icon->setScaledContents(true);
    header->addWidget(icon, 0, Qt::AlignHCenter);
    auto* title = ViewStyle::label(tr("Welcome to Corvallen"), ViewStyle::TextStyle::largeTitle, QFont::Bold, false, this);
    title->setAlignment(Qt::AlignCenter);
    header->addWidget(title);
    m_version = ViewStyle::label(tr("Version %1 \u00B7 Free & privacy-first").arg(AppInfo::version()),
                                  ViewStyle::TextStyle::callout, QFont::Normal, true, this);
    m_version->setAlignment(Qt::AlignCenter);
    header->addWidget(m_version);
    column->addLayout(header);

    // Features.
    struct Feature {
        QString symbol, title, body;
    };
    const QList<Feature> features = {
        {QStringLiteral("externaldrive"), tr("Connect your bench"),
         tr("Sync FNIRSI scope captures and flash firmware over USB.")},
        {QStringLiteral("shippingbox"), tr("Track your inventory"),
         tr("Components with stock, locations and datasheets \u2014 plus smart, curated lists.")},
        {QStringLiteral("folder"), tr("Organize projects"), tr("Bundle captures, parts and notes for everything you build.")},
        {QStringLiteral("brain"), tr("On-device AI"),
         tr("Analyse captures and help identify parts \u2014 privately, on your own computer. Much more arriving in later versions.")},
        {QStringLiteral("sparkles"), tr("And much more"),
         tr("BOM import, shopping lists, branded PDF exports, per-project parts and document markup \u2014 with plenty still to come.")}};
    auto* featureBox = new QWidget(this);
    featureBox->setMaximumWidth(430);
    featureBox->setFixedWidth(430);
    auto* rows = new QVBoxLayout(featureBox);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(14);
    for (const Feature& f : features) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        auto* glyph = new QLabel(featureBox);
        glyph->setFixedWidth(28);
        glyph->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        glyph->setPixmap(symbolIcon(f.symbol, palette().color(QPalette::Highlight)).pixmap(QSize(22, 22), dpr));
        row->addWidget(glyph, 0, Qt::AlignTop);
        auto* text = new QVBoxLayout;
        text->setSpacing(2);
        text->addWidget(ViewStyle::label(f.title, ViewStyle::TextStyle::body, QFont::DemiBold, false, featureBox));
        auto* body = ViewStyle::label(f.body, ViewStyle::TextStyle::callout, QFont::Normal, true, featureBox);
        body->setWordWrap(true);
        text->addWidget(body);
        row->addLayout(text, 1);
        rows->addLayout(row);
    }
    column->addWidget(featureBox, 0, Qt::AlignLeft);

    auto* note = ViewStyle::label(tr("Corvallen is free, and every feature stays free \u2014 a native Linux companion for your bench."),
                                   ViewStyle::TextStyle::callout, QFont::Normal, true, this);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setFixedWidth(430);
    column->addWidget(note, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 2, 0, 0);
    buttons->setSpacing(10);
    buttons->addStretch(1);
    m_openHelp = new QPushButton(tr("Open Help"), this);
    m_openHelp->setAutoDefault(false);
    connect(m_openHelp, &QPushButton::clicked, this, [this] {
        if (m_openWindow)
            m_openWindow(QStringLiteral("help"));
    });
    buttons->addWidget(m_openHelp);
    m_getStarted = new QPushButton(tr("Get Started"), this);
    m_getStarted->setDefault(true);
    ViewStyle::makeProminent(m_getStarted);
    m_getStarted->setAutoDefault(true);
    connect(m_getStarted, &QPushButton::clicked, this, [this] {
        if (m_dismiss)
            m_dismiss();
    });
    buttons->addWidget(m_getStarted);
    buttons->addStretch(1);
    column->addLayout(buttons);

    // Return (and the keypad's Enter) is "Get Started", wherever the focus is in the window.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_getStarted, &QPushButton::click);
    }
}

QString WelcomeView::versionLine() const { return m_version->text(); }

QSize WelcomeView::sizeHint() const
{
    constexpr int width = 520;
    return {width, layout()->totalHeightForWidth(width)};
}
