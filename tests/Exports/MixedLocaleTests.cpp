// Linux lets each kind of text follow its own locale: an English desktop with German formats runs
// with LANG=en_US and LC_NUMERIC, LC_MONETARY, LC_TIME set to de_DE. Qt's system locale writes
// numbers and dates by those; money, numeric entry and dates written through ICU must agree.
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Platform/IcuLocale.h"
#include "support/IcuExpect.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

std::function<QByteArray(const char*)> environment(const QHash<QByteArray, QByteArray>& values)
{
    return [values](const char* name) { return values.value(QByteArray(name)); };
}

}  // namespace

TEST(IcuLocale, EachKindOfTextTakesItsOwnLocaleFromTheEnvironment)
{
    using IcuLocale::Category;
    const auto mixed = environment({{"LANG", "en_US.UTF-8"}, {"LC_NUMERIC", "de_DE.UTF-8"}, {"LC_TIME", "fr_FR.UTF-8@euro"}});
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::numeric, mixed), QStringLiteral("de_DE"));
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::time, mixed), QStringLiteral("fr_FR"));
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::monetary, mixed), QStringLiteral("en_US"));
    // LC_ALL overrides every category; empty variables count as unset.
    const auto all = environment({{"LANG", "en_US.UTF-8"}, {"LC_NUMERIC", "de_DE.UTF-8"}, {"LC_ALL", "pl_PL.UTF-8"}});
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::numeric, all), QStringLiteral("pl_PL"));
    const auto empty = environment({{"LC_ALL", ""}, {"LC_MONETARY", ""}, {"LANG", "C.UTF-8"}});
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::monetary, empty), QStringLiteral("C"));
    EXPECT_EQ(IcuLocale::environmentLocaleName(Category::numeric, environment({})), QString());
}

// Run in a child with a mixed environment (see below); skipped when run on its own.
TEST(IcuLocaleMixedChild, SystemLocaleFollowsTheCategories)
{
    if (qEnvironmentVariableIsEmpty("CORVALLEN_MIXED_LOCALE_CHILD"))
        GTEST_SKIP() << "run by IcuLocale.AnEnglishDesktopWithGermanFormatsGetsGermanNumbersMoneyAndDates";
    const QLocale system = QLocale::system();
    ASSERT_EQ(system.decimalPoint(), QStringLiteral(","));  // Qt itself follows LC_NUMERIC
    // Numeric entry reads a typed price with these: "12,50" is 12.5 here, not 1250.
    EXPECT_EQ(IcuLocale::decimalSeparator(system), system.decimalPoint());
    EXPECT_EQ(IcuLocale::groupingSeparator(system), system.groupSeparator());
    EXPECT_EQ(MoneyFormatter(QStringLiteral("EUR"), system).format(1234.5),
              corvallen::test::icuCurrency(1234.5, QStringLiteral("EUR"), QStringLiteral("de_DE")));
    EXPECT_EQ(IcuLocale::dateText(QDate(2026, 12, 7), system, QStringLiteral("yMMMMd")),
              corvallen::test::icuDate(QDate(2026, 12, 7), QStringLiteral("yMMMMd"), QStringLiteral("de_DE")));
}

TEST(IcuLocale, AnEnglishDesktopWithGermanFormatsGetsGermanNumbersMoneyAndDates)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    for (const char* category : {"LC_NUMERIC", "LC_MONETARY", "LC_TIME"})
        env.insert(QString::fromLatin1(category), QStringLiteral("de_DE.UTF-8"));
    env.insert(QStringLiteral("CORVALLEN_MIXED_LOCALE_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=IcuLocaleMixedChild.*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}
