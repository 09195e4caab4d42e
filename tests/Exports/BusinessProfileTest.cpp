#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/IcuExpect.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QString writeImage(const QString& folder, const QString& name, QSize size, QColor color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = folder + u'/' + name;
    // The format comes from the content we ask for, not the (possibly upper-case) extension.
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList businessFiles() { return QDir(BusinessProfile::folder()).entryList(QDir::Files, QDir::Name); }

class BusinessProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = corvallen::test::freshFolder(QStringLiteral("profile"));
        settings = std::make_unique<SettingsStore>(folder + QStringLiteral("/settings.json"));
        for (const QString& f : businessFiles())
            QFile::remove(BusinessProfile::folder() + u'/' + f);
    }
    QString folder;
    std::unique_ptr<SettingsStore> settings;
};

TEST_F(BusinessProfileTest, EmptySettingsGiveTheDefaults)
{
    const BusinessProfile p = BusinessProfile::load(*settings);
    EXPECT_TRUE(p.name.isEmpty());
    EXPECT_TRUE(p.address.isEmpty());
    EXPECT_TRUE(p.logoSquareFile.isEmpty());
    EXPECT_EQ(p.documentLogoPref, QStringLiteral("wide"));
    EXPECT_EQ(p.currencyCode, QStringLiteral("GBP"));
    EXPECT_EQ(p.vatRate, 0);
    EXPECT_FALSE(p.hasBranding());
    EXPECT_TRUE(p.contactLines().isEmpty());
    EXPECT_TRUE(p.documentLogo().isNull());
}

TEST_F(BusinessProfileTest, ReadsEveryKeyAsStoredWithCurrencyAndLogoChoiceDefaults)
{
    const QStringList keys = BusinessProfile::settingKeys();
    ASSERT_EQ(keys.size(), 11);
    EXPECT_EQ(keys.first(), QStringLiteral("business.name"));
    EXPECT_EQ(keys.last(), QStringLiteral("business.vatRate"));
    settings->setText(QStringLiteral("business.name"), QStringLiteral("Volt & Solder"));
    settings->setText(QStringLiteral("business.tagline"), QStringLiteral("Repairs"));
    settings->setText(QStringLiteral("business.website"), QStringLiteral("example.org"));
    settings->setText(QStringLiteral("business.documentLogo"), QString());
    settings->setText(QStringLiteral("business.currency"), QString());
    // A number stored by other means is read as its text.
    settings->setDouble(QStringLiteral("business.vatRate"), 17.5);
    BusinessProfile p = BusinessProfile::load(*settings);
    EXPECT_EQ(p.name, QStringLiteral("Volt & Solder"));
    EXPECT_EQ(p.tagline, QStringLiteral("Repairs"));
    EXPECT_EQ(p.website, QStringLiteral("example.org"));
    EXPECT_EQ(p.documentLogoPref, QString());  // a stored empty choice stays empty
    EXPECT_EQ(p.currencyCode, QStringLiteral("GBP"));
    EXPECT_EQ(BusinessProfile::currentCurrencyCode(*settings), QStringLiteral("GBP"));
    EXPECT_DOUBLE_EQ(p.vatRate, 17.5);
    EXPECT_TRUE(p.hasBranding());

    settings->setText(QStringLiteral("business.currency"), QStringLiteral("PLN"));
    EXPECT_EQ(BusinessProfile::load(*settings).currencyCode, QStringLiteral("PLN"));
    EXPECT_EQ(BusinessProfile::currentCurrencyCode(*settings), QStringLiteral("PLN"));
}

TEST(BusinessProfileVat, OnlyAWholeCLocaleNumberCounts)
{
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("20")), 20);
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("17.5")), 17.5);
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("0")), 0);
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("+5")), 5);
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("-3")), -3);  // no clamping
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral("2e1")), 20);
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(QStringLiteral(".5")), 0.5);
    for (const char* bad : {" 20", "20 ", "\t20", "20\n", "20%", "17,5", "", "abc", "+-5", "--5", "1.2.3", "0x10", "\xd9\xa2\xd9\xa0",
                            "inf", "-inf", "nan", "infinity", "1e999"}) {
        const double rate = BusinessProfile::vatRateFromText(QString::fromUtf8(bad));
        EXPECT_EQ(rate, 0) << bad;
    }
}

// A rate is typed as the locale writes numbers ("5,5" for French reduced VAT) and stored in the
// one form the quotes read, so a settings file or backup reads the same in every locale.
TEST(BusinessProfileVat, TypedInTheLocaleStoredInOneForm)
{
    for (const QString& name : corvallen::test::icuTestLocales()) {
        const QLocale locale(name);
        const std::string where = name.toStdString();
        for (const double rate : {5.5, 17.5, 20.0, 100.0, 0.0}) {
            const QString stored = QString::number(rate);
            const QString typed = locale.toString(rate, 'f', rate == std::floor(rate) ? 0 : 1);
            EXPECT_EQ(BusinessProfile::storedVatRateText(typed, locale), stored) << where << " " << typed.toStdString();
            EXPECT_EQ(BusinessProfile::vatRateInputText(stored, locale), typed) << where;
        }
        EXPECT_EQ(BusinessProfile::storedVatRateText(QStringLiteral("  "), locale), QString()) << where;
        // The separator the locale doesn't use for decimals, followed by no group of three
        // digits, is the decimal point too ("17,5" in English); signs, exponents, per cent and
        // rates over 100 are refused.
        const QString otherSeparator = locale.decimalPoint() == QLatin1String(".") ? QStringLiteral(",") : QStringLiteral(".");
        EXPECT_EQ(BusinessProfile::storedVatRateText(QStringLiteral("17") + otherSeparator + QStringLiteral("5"), locale),
                  QStringLiteral("17.5")) << where;
        for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("+5"),
                                   QStringLiteral("1e2"), QStringLiteral("20%"), locale.toString(20) + locale.percent(),
                                   locale.toString(100.01, 'f', 2), locale.toString(1000), QStringLiteral("twenty")})
            EXPECT_EQ(BusinessProfile::storedVatRateText(bad, locale), std::nullopt) << where << " " << bad.toStdString();
    }
    // Digits of another script are read by their value (Devanagari in Hindi, Latin in Arabic).
    EXPECT_EQ(BusinessProfile::storedVatRateText(QStringLiteral("\u0967\u096D.\u096B"), QLocale(QStringLiteral("hi_IN"))), QStringLiteral("17.5"));
    EXPECT_EQ(BusinessProfile::storedVatRateText(QStringLiteral("17\u066B5"), QLocale(QStringLiteral("ar_EG"))), QStringLiteral("17.5"));
    // What a quote reads back is the rate typed.
    EXPECT_DOUBLE_EQ(BusinessProfile::vatRateFromText(*BusinessProfile::storedVatRateText(QStringLiteral("5,5"), QLocale(QStringLiteral("fr_FR")))), 5.5);
}

TEST(BusinessProfileContact, AddressLinesThenContactsTrimmedWithEmptiesDropped)
{
    BusinessProfile p;
    p.address = QStringLiteral("1 High Street\r\n\r\nTown   \u2028Shire\x0bUK");
    p.phone = QStringLiteral("   ");
    p.email = QStringLiteral("\tshop@example.org ");
    EXPECT_EQ(p.contactLines(), (QStringList{QStringLiteral("1 High Street"), QStringLiteral("Town"), QStringLiteral("Shire"),
                                             QStringLiteral("UK"), QStringLiteral("shop@example.org")}));
    p.address = QStringLiteral("A\rB\u0085C\u2029D\fE\nF");
    p.email.clear();
    p.website = QStringLiteral("web");
    EXPECT_EQ(p.contactLines().join(u'|'), QStringLiteral("A|B|C|D|E|F|web"));
}

TEST_F(BusinessProfileTest, NameOfBlanksAloneIsNoBranding)
{
    BusinessProfile p;
    p.name = QStringLiteral(" \t ");
    p.address = QStringLiteral("Somewhere");
    p.tagline = QStringLiteral("Tag");
    EXPECT_FALSE(p.hasBranding());
}

TEST_F(BusinessProfileTest, SavedLogosAreUnchangedCopiesWithFreshLowerCaseNames)
{
    const QString picked = writeImage(folder, QStringLiteral("Mark.PNG"), QSize(40, 10), Qt::red);
    const QString name = BusinessProfile::saveLogo(picked);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^logo-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.png$"))
                    .match(name)
                    .hasMatch())
        << name.toStdString();
    EXPECT_EQ(readAll(BusinessProfile::folder() + u'/' + name), readAll(picked));
    EXPECT_EQ(BusinessProfile::folder(), AppPaths::dataFolder() + QStringLiteral("/business"));
    EXPECT_EQ(BusinessProfile::loadLogo(name).size(), QSize(40, 10));

    // A picked file without an extension keeps having none, and still loads.
    const QString bare = writeImage(folder, QStringLiteral("mark"), QSize(8, 8), Qt::blue);
    const QString bareName = BusinessProfile::saveLogo(bare);
    EXPECT_FALSE(bareName.contains(u'.'));
    EXPECT_FALSE(BusinessProfile::loadLogo(bareName).isNull());
    EXPECT_NE(bareName, name);

    BusinessProfile::deleteLogo(name);
    EXPECT_FALSE(QFile::exists(BusinessProfile::folder() + u'/' + name));
    EXPECT_TRUE(BusinessProfile::loadLogo(name).isNull());
    // Gone already, and empty: nothing happens, nothing is thrown.
    BusinessProfile::deleteLogo(name);
    BusinessProfile::deleteLogo(QString());
    EXPECT_EQ(businessFiles(), QStringList{bareName});
}

TEST_F(BusinessProfileTest, DocumentLogoFallsBackToTheOtherMarkAndMissingFilesCountAsNone)
{
    const QString square = BusinessProfile::saveLogo(writeImage(folder, QStringLiteral("s.png"), QSize(16, 16), Qt::green));
    const QString wide = BusinessProfile::saveLogo(writeImage(folder, QStringLiteral("w.png"), QSize(64, 16), Qt::black));
    BusinessProfile p;
    p.logoSquareFile = square;
    EXPECT_TRUE(p.hasBranding());
    EXPECT_EQ(p.documentLogo().size(), QSize(16, 16));  // "wide" wanted, only the square one there
    p.logoSquareFile.clear();
    p.logoWideFile = wide;
    p.documentLogoPref = QStringLiteral("square");
    EXPECT_EQ(p.documentLogo().size(), QSize(64, 16));
    p.logoSquareFile = square;
    EXPECT_EQ(p.documentLogo().size(), QSize(16, 16));
    p.documentLogoPref = QStringLiteral("Square");  // only the exact word picks the square mark
    EXPECT_EQ(p.documentLogo().size(), QSize(64, 16));

    BusinessProfile::deleteLogo(square);
    BusinessProfile::deleteLogo(wide);
    EXPECT_FALSE(p.hasBranding());
    EXPECT_TRUE(p.documentLogo().isNull());
}

TEST_F(BusinessProfileTest, UnreadableOrForeignFilesAreNoLogo)
{
    QFile text(BusinessProfile::folder() + QStringLiteral("/logo-notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not an image");
    text.close();
    EXPECT_TRUE(BusinessProfile::loadLogo(QStringLiteral("logo-notes.png")).isNull());
    EXPECT_TRUE(BusinessProfile::loadLogo(QStringLiteral("logo-missing.png")).isNull());

    // Names come from settings a restored backup may have written: they never reach outside
    // the business folder, neither to read nor to delete.
    const QString outside = writeImage(AppPaths::dataFolder(), QStringLiteral("outside.png"), QSize(4, 4), Qt::red);
    EXPECT_TRUE(BusinessProfile::loadLogo(QStringLiteral("../outside.png")).isNull());
    EXPECT_TRUE(BusinessProfile::loadLogo(outside).isNull());
    BusinessProfile::deleteLogo(QStringLiteral("../outside.png"));
    BusinessProfile::deleteLogo(outside);
    EXPECT_TRUE(QFile::exists(outside));
    BusinessProfile p;
    p.logoWideFile = QStringLiteral("../outside.png");
    EXPECT_FALSE(p.hasBranding());
}

TEST_F(BusinessProfileTest, AFailedCopyThrowsAndLeavesNothing)
{
    const QStringList before = businessFiles();
    EXPECT_THROW(BusinessProfile::saveLogo(folder + QStringLiteral("/no-such-file.png")), DomainError);
    try {
        BusinessProfile::saveLogo(folder + QStringLiteral("/no-such-file.png"));
    } catch (const DomainError& e) {
        EXPECT_FALSE(e.localizedDescription().isEmpty());
    }
    EXPECT_EQ(businessFiles(), before);
}

}  // namespace
