// Persistent identifiers travel as JSON inside drag-and-drop strings; decoding must take back
// exactly what encoding gave and nothing else.
#include "Corvallen/Store/PersistentIdentifier.h"

#include <gtest/gtest.h>

namespace {

TEST(PersistentIdentifierTest, JsonRoundTripKeepsEntityAndKey)
{
    for (const PersistentIdentifier id : {PersistentIdentifier{QStringLiteral("Capture"), 1},
                                          PersistentIdentifier{QStringLiteral("Component"), 987654321012LL},
                                          PersistentIdentifier{QStringLiteral("Capture"), (qint64(1) << 53)}}) {
        const auto back = PersistentIdentifier::fromJson(id.toJson());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, id);
        EXPECT_EQ(qHash(*back), qHash(id));
    }
    // Base64 of the JSON, as the drag strings carry it.
    const PersistentIdentifier id{QStringLiteral("Component"), 42};
    const QByteArray dragged = id.toJson().toBase64();
    EXPECT_EQ(PersistentIdentifier::fromJson(QByteArray::fromBase64(dragged)), id);
}

TEST(PersistentIdentifierTest, DecodingRefusesAnythingElse)
{
    const char* bad[] = {
        "",
        "null",
        "[]",
        "\"Capture\"",
        "{}",
        R"({"entityName":"Capture"})",
        R"({"primaryKey":3})",
        R"({"entityName":"Capture","primaryKey":"3"})",
        R"({"entityName":3,"primaryKey":3})",
        R"({"entityName":"","primaryKey":3})",
        R"({"entityName":"Capture","primaryKey":0})",
        R"({"entityName":"Capture","primaryKey":-5})",
        R"({"entityName":"Capture","primaryKey":2.5})",
        R"({"entityName":"Capture","primaryKey":1e300})",
        R"({"entityName":"Capture","primaryKey":3,"extra":true})",
        R"({"entityName":"Capture","primaryKey":3)",
    };
    for (const char* text : bad)
        EXPECT_FALSE(PersistentIdentifier::fromJson(QByteArray(text)).has_value()) << text;
}

TEST(PersistentIdentifierTest, EqualityNeedsBothParts)
{
    EXPECT_NE((PersistentIdentifier{QStringLiteral("Capture"), 3}), (PersistentIdentifier{QStringLiteral("Tag"), 3}));
    EXPECT_NE((PersistentIdentifier{QStringLiteral("Capture"), 3}), (PersistentIdentifier{QStringLiteral("Capture"), 4}));
    EXPECT_FALSE(PersistentIdentifier{}.isValid());
}

}  // namespace
