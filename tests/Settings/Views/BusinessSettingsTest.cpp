#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Settings/Views/BusinessSettings.h"
#include "support/CraftedZip.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kWide = QStringLiteral("business.logoWide");
const QString kSquare = QStringLiteral("business.logoSquare");

QStringList businessFiles() { return QDir(BusinessProfile::folder()).entryList(QDir::Files, QDir::Name); }

class BusinessPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Rates are typed as the locale writes numbers; these cases are written in C's form.
        QLocale::setDefault(QLocale::c());
        folder = corvallen::test::freshFolder(QStringLiteral("business"));
        settings = std::make_unique<SettingsStore>(folder + QStringLiteral("/settings.json"));
        for (const QString& f : businessFiles())
            QFile::remove(BusinessProfile::folder() + u'/' + f);
        pane = std::make_unique<BusinessSettings>(*settings, [this](QWidget*) { return nextPick; });
    }
    QString image(const QString& name, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::darkCyan);
        const QString path = folder + u'/' + name;
        EXPECT_TRUE(img.save(path, "PNG"));
        return path;
    }
    bool removeShown(const QString& key) const { return pane->removeButton(key)->isVisibleTo(pane.get()); }
    bool previewShowsImage(const QString& key) const { return pane->preview(key)->property("showsImage").toBool(); }

    QString folder;
    QString nextPick;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<BusinessSettings> pane;
};

TEST_F(BusinessPane, FreshInstallationShowsEmptyFieldsAndDefaults)
{
    for (const QString& key : {QStringLiteral("business.name"), QStringLiteral("business.tagline"), QStringLiteral("business.phone"),
                               QStringLiteral("business.email"), QStringLiteral("business.website"), QStringLiteral("business.vatRate")})
        EXPECT_TRUE(pane->lineEdit(key)->text().isEmpty());
    EXPECT_TRUE(pane->addressEdit()->toPlainText().isEmpty());
    EXPECT_FALSE(previewShowsImage(kWide));
    EXPECT_FALSE(previewShowsImage(kSquare));
    EXPECT_FALSE(removeShown(kWide));
    EXPECT_FALSE(removeShown(kSquare));
    EXPECT_EQ(pane->documentLogoPicker()->currentText(), QStringLiteral("Wide"));
    EXPECT_EQ(pane->currencyPicker()->currentText(), QStringLiteral("GBP"));
    EXPECT_EQ(pane->currencyPicker()->count(), 7);
    EXPECT_TRUE(settings->keys().isEmpty());
}

TEST_F(BusinessPane, FieldsWriteTheirKeysExactlyAsTyped)
{
    pane->lineEdit(QStringLiteral("business.name"))->setFocus();
    Q_EMIT pane->lineEdit(QStringLiteral("business.name"))->textEdited(QStringLiteral("Volt & Solder"));
    Q_EMIT pane->lineEdit(QStringLiteral("business.vatRate"))->textEdited(QStringLiteral("17,5%"));
    pane->addressEdit()->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6"));
    pane->currencyPicker()->setCurrentIndex(6);
    Q_EMIT pane->currencyPicker()->activated(6);
    pane->documentLogoPicker()->setCurrentIndex(1);
    Q_EMIT pane->documentLogoPicker()->activated(1);
    EXPECT_EQ(settings->textValue(QStringLiteral("business.name")), QStringLiteral("Volt & Solder"));
    // A rate the quote can't use is not stored.
    EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QString());
    EXPECT_EQ(settings->textValue(QStringLiteral("business.address")), QStringLiteral("1\n2\n3\n4\n5\n6"));
    EXPECT_EQ(settings->textValue(QStringLiteral("business.currency")), QStringLiteral("PLN"));
    EXPECT_EQ(settings->textValue(QStringLiteral("business.documentLogo")), QStringLiteral("square"));
    const BusinessProfile profile = BusinessProfile::load(*settings);
    EXPECT_EQ(profile.vatRate, 0);
    EXPECT_EQ(profile.contactLines().size(), 6);

    // Changes made elsewhere show at once.
    settings->setText(QStringLiteral("business.phone"), QStringLiteral("0123"));
    settings->setText(QStringLiteral("business.address"), QStringLiteral("Elsewhere"));
    EXPECT_EQ(pane->lineEdit(QStringLiteral("business.phone"))->text(), QStringLiteral("0123"));
    EXPECT_EQ(pane->addressEdit()->toPlainText(), QStringLiteral("Elsewhere"));
}

TEST_F(BusinessPane, VatRatesOutsideZeroToHundredAreRefusedWhereTheyAreTyped)
{
    QLineEdit* vat = pane->lineEdit(QStringLiteral("business.vatRate"));
    QLabel* problem = pane->findChild<QLabel*>(QStringLiteral("vatRateProblem"));
    ASSERT_TRUE(problem);
    Q_EMIT vat->textEdited(QStringLiteral("20"));
    EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QStringLiteral("20"));
    EXPECT_FALSE(problem->isVisibleTo(pane.get()));
    for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("150"), QStringLiteral("100.01"), QStringLiteral("1e2"),
                               QStringLiteral("twenty")}) {
        vat->setText(bad);
        Q_EMIT vat->textEdited(bad);
        EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QStringLiteral("20")) << bad.toStdString();
        EXPECT_TRUE(problem->isVisibleTo(pane.get()));
    }
    // Leaving the field shows the rate in force again.
    Q_EMIT vat->editingFinished();
    EXPECT_EQ(vat->text(), QStringLiteral("20"));
    EXPECT_FALSE(problem->isVisibleTo(pane.get()));
    Q_EMIT vat->textEdited(QStringLiteral("100"));
    EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QStringLiteral("100"));
    Q_EMIT vat->textEdited(QString());
    EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QString());
}

TEST_F(BusinessPane, AVatRateIsTypedAndShownInTheLocalesForm)
{
    QLocale::setDefault(QLocale(QStringLiteral("fr_FR")));
    QLineEdit* vat = pane->lineEdit(QStringLiteral("business.vatRate"));
    QLabel* problem = pane->findChild<QLabel*>(QStringLiteral("vatRateProblem"));
    const QString typed = QLocale().toString(5.5, 'f', 1);
    vat->setText(typed);
    Q_EMIT vat->textEdited(typed);
    EXPECT_EQ(settings->textValue(QStringLiteral("business.vatRate")), QStringLiteral("5.5"));
    EXPECT_FALSE(problem->isVisibleTo(pane.get()));
    EXPECT_EQ(vat->text(), typed);  // not rewritten under the user's fingers
    Q_EMIT vat->editingFinished();
    EXPECT_EQ(vat->text(), typed);
    // A rate stored elsewhere (a restored backup) shows in the locale's form.
    settings->setText(QStringLiteral("business.vatRate"), QStringLiteral("19.6"));
    EXPECT_EQ(vat->text(), QLocale().toString(19.6, 'f', 1));
    EXPECT_DOUBLE_EQ(BusinessProfile::load(*settings).vatRate, 19.6);
    QLocale::setDefault(QLocale::c());
}

TEST_F(BusinessPane, ChoosingAndReplacingAMarkKeepsOneFile)
{
    nextPick = image(QStringLiteral("Wide.PNG"), QSize(120, 30));
    pane->findChild<QPushButton*>(QStringLiteral("chooseLogoWide"))->click();
    const QString first = settings->textValue(kWide);
    EXPECT_TRUE(first.startsWith(QStringLiteral("logo-")));
    EXPECT_TRUE(first.endsWith(QStringLiteral(".png")));
    EXPECT_EQ(businessFiles(), QStringList{first});
    EXPECT_TRUE(previewShowsImage(kWide));
    EXPECT_TRUE(removeShown(kWide));
    EXPECT_FALSE(removeShown(kSquare));

    nextPick = image(QStringLiteral("wide2"), QSize(90, 30));
    pane->pickLogo(kWide);
    const QString second = settings->textValue(kWide);
    EXPECT_NE(second, first);
    EXPECT_FALSE(second.contains(u'.'));
    EXPECT_EQ(businessFiles(), QStringList{second});

    // Cancelled, or a copy that fails: nothing changes.
    nextPick.clear();
    pane->pickLogo(kWide);
    nextPick = folder + QStringLiteral("/vanished.png");
    pane->pickLogo(kWide);
    EXPECT_EQ(settings->textValue(kWide), second);
    EXPECT_EQ(businessFiles(), QStringList{second});
}

TEST_F(BusinessPane, RemovingOneMarkLeavesTheOther)
{
    nextPick = image(QStringLiteral("w.png"), QSize(100, 20));
    pane->pickLogo(kWide);
    nextPick = image(QStringLiteral("s.jpg"), QSize(20, 20));
    pane->pickLogo(kSquare);
    const QString square = settings->textValue(kSquare);
    EXPECT_TRUE(square.endsWith(QStringLiteral(".jpg")));
    pane->findChild<QPushButton*>(QStringLiteral("removeLogoWide"))->click();
    EXPECT_EQ(settings->textValue(kWide), QString());
    EXPECT_TRUE(settings->contains(kWide));
    EXPECT_EQ(businessFiles(), QStringList{square});
    EXPECT_FALSE(removeShown(kWide));
    EXPECT_FALSE(previewShowsImage(kWide));
    EXPECT_TRUE(previewShowsImage(kSquare));
}

TEST_F(BusinessPane, AMissingOrBrokenFileShowsThePlaceholderButCanBeRemoved)
{
    settings->setText(kSquare, QStringLiteral("logo-gone.png"));
    EXPECT_FALSE(previewShowsImage(kSquare));
    EXPECT_TRUE(removeShown(kSquare));
    pane->removeLogo(kSquare);
    EXPECT_EQ(settings->textValue(kSquare), QString());
}

// A PNG chunk: length, type and data, and the CRC over type and data.
QByteArray pngChunk(const QByteArray& typeAndData)
{
    const quint32 crc = corvallen::test::crc32Of(typeAndData);
    QByteArray out;
    for (quint32 v : {quint32(typeAndData.size() - 4), crc}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((v >> shift) & 0xFF));
        if (out.size() == 4)
            out.append(typeAndData);
    }
    return out;
}

// A PNG whose header claims the given size: enough for a reader to know how large it is.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    for (quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.append(char((v >> shift) & 0xFF));
    ihdr.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk(ihdr) + pngChunk("IDAT") + pngChunk("IEND");
}

TEST_F(BusinessPane, ALogoThatCantBeReadOrIsTooLargeIsRefusedWithTheReason)
{
    QLabel* problem = pane->findChild<QLabel*>(QStringLiteral("logoProblem"));
    ASSERT_TRUE(problem);
    EXPECT_FALSE(problem->isVisibleTo(pane.get()));

    const QString text = folder + QStringLiteral("/notes.png");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    nextPick = text;
    pane->pickLogo(kWide);
    EXPECT_TRUE(problem->isVisibleTo(pane.get()));
    EXPECT_TRUE(problem->text().contains(QStringLiteral("notes.png")));
    EXPECT_EQ(settings->textValue(kWide), QString());
    EXPECT_TRUE(businessFiles().isEmpty());

    const QString huge = folder + QStringLiteral("/poster.png");
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::WriteOnly));
    h.write(pngHeader(20000, 15000));
    h.close();
    nextPick = huge;
    pane->pickLogo(kSquare);
    EXPECT_TRUE(problem->text().contains(QStringLiteral("too large"))) << problem->text().toStdString();
    EXPECT_TRUE(problem->text().contains(QStringLiteral("20000")));
    EXPECT_EQ(settings->textValue(kSquare), QString());

    // A good image clears the message.
    nextPick = image(QStringLiteral("fine.png"), QSize(64, 64));
    pane->pickLogo(kSquare);
    EXPECT_FALSE(problem->isVisibleTo(pane.get()));
    EXPECT_FALSE(settings->textValue(kSquare).isEmpty());

    // A stored logo that stopped reading is reported too.
    QFile broken(BusinessProfile::folder() + QStringLiteral("/logo-broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("garbage");
    broken.close();
    settings->setText(kWide, QStringLiteral("logo-broken.png"));
    EXPECT_TRUE(problem->isVisibleTo(pane.get()));
    EXPECT_TRUE(problem->text().contains(QStringLiteral("wide")));
}

TEST_F(BusinessPane, AFileBothMarksNameSurvivesReplacingOneOfThem)
{
    // A restored backup can name the same file for both marks.
    nextPick = image(QStringLiteral("both.png"), QSize(40, 40));
    pane->pickLogo(kSquare);
    const QString shared = settings->textValue(kSquare);
    settings->setText(kWide, shared);
    nextPick = image(QStringLiteral("new.png"), QSize(80, 20));
    pane->pickLogo(kWide);
    EXPECT_TRUE(QFile::exists(BusinessProfile::folder() + u'/' + shared));
    EXPECT_FALSE(BusinessProfile::loadLogo(settings->textValue(kSquare)).isNull());
    settings->setText(kWide, shared);
    pane->removeLogo(kWide);
    EXPECT_TRUE(QFile::exists(BusinessProfile::folder() + u'/' + shared));
    // Once no mark uses it, removing deletes it.
    pane->removeLogo(kSquare);
    EXPECT_FALSE(QFile::exists(BusinessProfile::folder() + u'/' + shared));
}

}  // namespace
