// Texts holding "&" show as written: section titles, names the user typed in menus, buttons and
// rows. Qt reads a single "&" in those places as a keyboard mnemonic, so "Tax & currency" would
// show as "Tax _currency" and "R&D" as "RD".
#include "Corvallen/Inventory/Views/ComboField.h"
#include "Corvallen/Library/Views/BulkInspector.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Settings/Views/BusinessSettings.h"
#include "Corvallen/Shell/Views/DashboardView.h"
#include "Corvallen/Shell/Views/ShellSidebar.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

// What Qt draws for a text of a button, menu item or group box: "&&" is one "&"; a single "&"
// is not drawn (it underlines the next letter).
QString shown(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        else if (text.at(i) == u'&')
            continue;
        out += text.at(i);
    }
    return out;
}

QStringList shownActions(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            out << shown(a->text());
    return out;
}

TEST(AmpersandText, SectionTitlesShowTheirAmpersand)
{
    SettingsStore settings(freshFolder() + QStringLiteral("/settings.json"));
    BusinessSettings pane(settings);
    QStringList titles;
    for (QGroupBox* box : pane.findChildren<QGroupBox*>())
        titles << shown(box->title());
    EXPECT_TRUE(titles.contains(QStringLiteral("Tax & currency"))) << titles.join(u'|').toStdString();
}

TEST(AmpersandText, NamesTheUserTypedShowAsWrittenInMenusAndButtons)
{
    // Term values in a combo field's menu and its suggestion rows.
    ComboField field(QString(), {QStringLiteral("R&D Parts"), QStringLiteral("Black & Decker")});
    EXPECT_EQ(shownActions(field.buildMenu()), (QStringList{QStringLiteral("R&D Parts"), QStringLiteral("Black & Decker")}));
    for (QAction* a : field.buildMenu()->actions())
        EXPECT_TRUE(QKeySequence::mnemonic(a->text()).isEmpty()) << "no shortcut made from a name";

    // Project names in the bulk inspector's "file into" menu.
    auto container = openTestStore();
    ModelContext& context = container->mainContext();
    context.insert(new Project(QStringLiteral("Amp & Preamp"), {}, {}));
    const QList<Capture*> captures{context.insert(new Capture(QStringLiteral("a.png"))),
                                   context.insert(new Capture(QStringLiteral("b.png")))};
    ASSERT_TRUE(context.save());
    BulkInspector bulk(context, {}, {});
    bulk.setCaptures(captures);
    QMenu* menu = bulk.projectMenu()->menu();
    Q_EMIT menu->aboutToShow();
    EXPECT_TRUE(shownActions(menu).contains(QStringLiteral("Amp & Preamp"))) << shownActions(menu).join(u'|').toStdString();

    // Project rows of the sidebar and the dashboard are drawn by themselves; the name still
    // makes no keyboard shortcut (Alt+D would open "R&D").
    Project* rnd = context.insert(new Project(QStringLiteral("R&D"), {}, {}));
    ASSERT_TRUE(context.save());
    ShellSidebar sidebar;
    sidebar.setProjects({rnd});
    DashboardView dashboard(context, {});
    for (QWidget* host : {static_cast<QWidget*>(&sidebar), static_cast<QWidget*>(&dashboard)}) {
        bool found = false;
        for (QAbstractButton* b : host->findChildren<QAbstractButton*>())
            if (b->accessibleName() == QStringLiteral("R&D")) {
                found = true;
                EXPECT_TRUE(QKeySequence::mnemonic(b->text()).isEmpty()) << host->metaObject()->className();
            }
        EXPECT_TRUE(found) << host->metaObject()->className();
    }
}

}  // namespace
