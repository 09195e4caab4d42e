#include "Corvallen/Settings/Views/AboutSettings.h"

#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString textOrQuestionMark(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return QStringLiteral("?");
    const QString text = value.toString();
    return text.isEmpty() ? QStringLiteral("?") : text;
}

QPushButton* linkButton(const QString& text, const QString& symbol, const QUrl& url, QWidget* parent)
{
    auto* button = new QPushButton(symbolIcon(symbol), text, parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("text-align: left;"));
    button->setProperty("url", url);
    QObject::connect(button, &QPushButton::clicked, button, [url] { QDesktopServices::openUrl(url); });
    return button;
}

}  // namespace

AboutSettings::AboutSettings(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AboutSettings"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    using SettingsStyle::TextStyle;

    auto* header = SettingsStyle::section(QString(), this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 6 + 6, 12, 6 + 6);
    row->setSpacing(16);
    auto* icon = new QLabel(header);
    icon->setPixmap(QApplication::windowIcon().pixmap(QSize(64, 64)));
    icon->setFixedSize(64, 64);
    row->addWidget(icon);
    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    column->addWidget(SettingsStyle::label(QStringLiteral("Corvallen"), TextStyle::title2, 1, QFont::Bold, header));
    QLabel* version = SettingsStyle::label(tr("Version %1").arg(versionString()), TextStyle::callout, 2, QFont::Normal, header);
    version->setObjectName(QStringLiteral("versionLine"));
    column->addWidget(version);
    column->addWidget(SettingsStyle::label(tr("Developed by %1").arg(QStringLiteral("Corvallen Labs")), TextStyle::callout, 2,
                                           QFont::Normal, header));
    row->addLayout(column);
    row->addStretch(1);
    layout->addWidget(header);

    auto* links = SettingsStyle::section(QString(), this);
    auto* linksLayout = new QVBoxLayout(links);
    linksLayout->addWidget(linkButton(AppInfo::websiteURL().host(), QStringLiteral("globe"), AppInfo::websiteURL(), links));
    linksLayout->addWidget(linkButton(AppInfo::mailURL().path(), QStringLiteral("envelope"), AppInfo::mailURL(), links));
    layout->addWidget(links);

    auto* support = SettingsStyle::section(QString(), this);
    auto* supportLayout = new QVBoxLayout(support);
    supportLayout->addWidget(linkButton(tr("Support Corvallen"), QStringLiteral("heart"), AppInfo::supportURL(), support));
    layout->addWidget(support);
    layout->addWidget(SettingsStyle::caption(
        tr("Corvallen is free and every feature stays free. An optional donation helps fund new features \u2014 thank you."),
        this));
    layout->addStretch(1);
}

QString AboutSettings::versionString(const QVariant& shortVersion, const QVariant& build)
{
    return textOrQuestionMark(shortVersion) + QStringLiteral(" (") + textOrQuestionMark(build) + u')';
}

QString AboutSettings::versionString()
{
    return versionString(QVariant(QCoreApplication::applicationVersion()), QVariant(AppInfo::build()));
}
