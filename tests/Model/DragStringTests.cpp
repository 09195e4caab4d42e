#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using DragString::DropKind;

TEST(DragString, EncodesPrefixPlusPaddedStandardBase64OfTheIdentifierJson)
{
    const PersistentIdentifier id{QStringLiteral("Component"), 7};
    const QString text = DragString::encode(DragString::partPrefix(), id);
    EXPECT_EQ(text, QStringLiteral("corvallen-part:") + QString::fromLatin1(id.toJson().toBase64()));
    EXPECT_EQ(QByteArray::fromBase64(text.mid(15).toLatin1()), id.toJson());
    EXPECT_EQ(text.size() % 4, (15 % 4));  // padded: the payload is a multiple of four
    EXPECT_EQ(DragString::decode(text, DragString::partPrefix()), id);
    // Prefix lengths are part of the format.
    EXPECT_EQ(DragString::partPrefix().size(), 15);
    EXPECT_EQ(DragString::capturePrefix().size(), 18);
    // A record that was never stored has no identifier: the prefix alone, which reads as nothing.
    EXPECT_EQ(DragString::encode(DragString::capturePrefix(), PersistentIdentifier{}), DragString::capturePrefix());
    EXPECT_FALSE(DragString::decode(DragString::capturePrefix(), DragString::capturePrefix()));
}

TEST(DragString, DecodingIsStrict)
{
    // An identifier whose JSON length needs padding.
    PersistentIdentifier id{QStringLiteral("Capture"), 1234};
    while (id.toJson().size() % 3 == 0)
        id.primaryKey *= 10;
    const QString good = DragString::encode(DragString::capturePrefix(), id);
    const QString payload = good.mid(18);
    ASSERT_TRUE(payload.endsWith(QLatin1Char('=')));  // this payload needs padding

    const QStringList broken = {
        QStringLiteral("corvallen-part:"),                                          // nothing after the prefix
        QStringLiteral("corvallen-capture:") + payload.left(payload.size() - 1),     // padding cut
        QStringLiteral("corvallen-capture:") + payload.chopped(1).remove(QLatin1Char('=')),
        QStringLiteral("corvallen-capture:") + payload.left(8) + QLatin1Char('\n') + payload.mid(8),
        QStringLiteral("corvallen-capture:") + payload.left(8) + QLatin1Char(' ') + payload.mid(9),
        QStringLiteral("corvallen-capture: ") + payload,
        QStringLiteral("Corvallen-capture:") + payload,                              // prefix is case-sensitive
        QStringLiteral("corvallen-capture:") + QString::fromLatin1(QByteArray("not json").toBase64()),
        QStringLiteral("corvallen-capture:") + QString::fromLatin1(QByteArray(R"({"entityName":"Capture"})").toBase64()),
        QStringLiteral("corvallen-capture:====")};
    for (const QString& text : broken)
        EXPECT_FALSE(DragString::decode(text, DragString::capturePrefix())) << text.toStdString();

    // The URL-safe alphabet is not the standard one.
    const PersistentIdentifier wide{QStringLiteral("Capture?>"), 1};
    const QString std = DragString::encode(QString(), wide);
    QString urlSafe = std;
    urlSafe.replace(QLatin1Char('+'), QLatin1Char('-')).replace(QLatin1Char('/'), QLatin1Char('_'));
    if (urlSafe != std)
        EXPECT_FALSE(DragString::decode(QStringLiteral("corvallen-capture:") + urlSafe, DragString::capturePrefix()));

    EXPECT_EQ(DragString::decode(good, DragString::capturePrefix()), id);
    // The other prefix doesn't read it.
    EXPECT_FALSE(DragString::decode(good, DragString::partPrefix()));
}

TEST(DragString, RoutesByPrefixOnly)
{
    EXPECT_EQ(DragString::route(QStringLiteral("corvallen-part:")), DropKind::part);
    EXPECT_EQ(DragString::route(QStringLiteral("corvallen-part:garbage")), DropKind::part);
    EXPECT_EQ(DragString::route(QStringLiteral("corvallen-capture:xyz")), DropKind::capture);
    EXPECT_EQ(DragString::route(QStringLiteral("CORVALLEN-PART:abc")), DropKind::file);
    EXPECT_EQ(DragString::route(QStringLiteral("corvallen-parts")), DropKind::file);
    EXPECT_EQ(DragString::route(QStringLiteral("6F1C2B9E-0000-4000-8000-000000000000.pdf")), DropKind::file);
    EXPECT_EQ(DragString::route(QString()), DropKind::file);
}

TEST(DragString, RoundTripsStoredRecords)
{
    auto container = ModelContainer::open(corvallen::test::freshFolder() + QStringLiteral("/Corvallen.store"), corvallenSchema());
    ASSERT_TRUE(container);
    ModelContext& ctx = container->mainContext();
    Capture* capture = ctx.insert(new Capture(QStringLiteral("a.png")));
    Component* component = ctx.insert(new Component(QStringLiteral("NE555")));
    ASSERT_TRUE(ctx.save());

    const auto capId = DragString::decode(DragString::forCapture(*capture), DragString::capturePrefix());
    ASSERT_TRUE(capId);
    EXPECT_EQ(ctx.model<Capture>(*capId), capture);
    const auto partId = DragString::decode(DragString::forComponent(*component), DragString::partPrefix());
    ASSERT_TRUE(partId);
    EXPECT_EQ(ctx.model<Component>(*partId), component);
}
