#include "Corvallen/Documents/DocumentBrowserModel.h"
#include "Corvallen/Documents/DocumentPanels.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

namespace {

class DocumentPanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
    }
    Document* doc(const QString& fileName, const QString& title, DocType type = DocType::reference)
    {
        auto* d = ctx->insert(new Document(fileName, title));
        d->setType(type);
        return d;
    }
    Project* project(const QString& name) { return ctx->insert(new Project(name, {}, {})); }

    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
};

TEST_F(DocumentPanelsTest, InspectorTextsNameTheProjectsInOrder)
{
    Document* d = doc(QStringLiteral("A1B2"), QStringLiteral("Manual"));
    EXPECT_EQ(DocumentInspectorLogic::fileTypeText(d), QStringLiteral("Unknown"));
    EXPECT_EQ(DocumentInspectorLogic::fileKindSymbol(d->fileName()), QStringLiteral("doc"));
    EXPECT_EQ(DocumentInspectorLogic::usedInText(d), QStringLiteral("Library only"));
    EXPECT_EQ(DocumentInspectorLogic::deleteMessage(d), QStringLiteral("Removes the document from Corvallen and deletes its saved file."));

    Document* pdf = doc(QStringLiteral("x.pdf"), QStringLiteral("Schematic"));
    EXPECT_EQ(DocumentInspectorLogic::fileTypeText(pdf), QStringLiteral("PDF"));
    DocumentFileStore::attach(pdf, project(QStringLiteral("Tube amp")), *ctx);
    DocumentFileStore::attach(pdf, project(QString()), *ctx);
    DocumentFileStore::attach(pdf, project(QStringLiteral("Bench PSU")), *ctx);
    EXPECT_EQ(DocumentInspectorLogic::usedInText(pdf), QStringLiteral("Bench PSU, Tube amp, Untitled"));
    EXPECT_EQ(DocumentInspectorLogic::deleteMessage(pdf),
              QStringLiteral("This file is used in Bench PSU, Tube amp, Untitled. Deleting loses the file AND all edits made in those projects."));
}

TEST_F(DocumentPanelsTest, BulkActionsSetTypesAttachOnceAndCountUsedDocuments)
{
    QList<Document*> docs;
    for (int i = 0; i < 5; ++i)
        docs << doc(QStringLiteral("f%1.pdf").arg(i), QStringLiteral("F%1").arg(i));
    EXPECT_EQ(DocumentBulkLogic::confirmationMessage(docs, false),
              QStringLiteral("Removes the documents from Corvallen and deletes their saved files."));
    Project* amp = project(QStringLiteral("Amp"));
    DocumentBulkLogic::addAll(docs.mid(0, 2), amp, *ctx);
    DocumentBulkLogic::addAll(docs.mid(0, 2), amp, *ctx);
    EXPECT_EQ(docs[0]->attachments().size(), 1);
    EXPECT_EQ(DocumentBulkLogic::confirmationMessage(docs, false),
              QStringLiteral("2 of these are used in projects. Deleting loses the files AND all edits made in those projects."));
    EXPECT_EQ(DocumentBulkLogic::confirmationMessage(docs, true),
              QStringLiteral("Keeps the files in your Library — only this project's notes are removed."));
    EXPECT_EQ(DocumentBulkLogic::destructiveLabel(5, true), QStringLiteral("Remove 5 from Project"));
    EXPECT_EQ(DocumentBulkLogic::confirmationTitle(5, false), QStringLiteral("Delete 5 documents?"));

    DocumentBulkLogic::setType(docs, DocType::serviceManual, *ctx);
    for (Document* d : docs)
        EXPECT_EQ(d->typeRaw(), QStringLiteral("serviceManual"));
    EXPECT_FALSE(ctx->hasChanges());

    DocumentBulkLogic::deleteOrRemoveAll(docs.mid(0, 2), amp, *ctx);
    EXPECT_TRUE(docs[0]->attachments().isEmpty());
    EXPECT_FALSE(docs[0]->isDeleted());

    // Documents deleted since they were selected no longer count in the question.
    DocumentBulkLogic::addAll(docs.mid(3, 1), amp, *ctx);
    DocumentFileStore::deleteFromLibrary(docs[4], *ctx);
    DocumentFileStore::deleteFromLibrary(docs[3], *ctx);
    EXPECT_EQ(DocumentBulkLogic::existingCount(docs), 3);
    EXPECT_EQ(DocumentBulkLogic::confirmationMessage(docs, false),
              QStringLiteral("Removes the documents from Corvallen and deletes their saved files."));
}

TEST_F(DocumentPanelsTest, AttachSheetOffersWhatTheProjectLacksAndMatchesSearch)
{
    Document* amp = doc(QStringLiteral("a.pdf"), QStringLiteral("Amplifier Service"), DocType::serviceManual);
    Document* tl = doc(QStringLiteral("b.pdf"), QStringLiteral("TL072"), DocType::datasheet);
    tl->setTags(QStringLiteral("opamp, audio"));
    Document* shown = doc(QStringLiteral("c.pdf"), QStringLiteral("Already there"));
    const QList<Document*> all{amp, tl, shown};

    LibraryAttachFilter filter;
    filter.attachedFileNames = {QStringLiteral("c.pdf")};
    EXPECT_EQ(filter.candidates(all), (QList<Document*>{amp, tl}));
    filter.search = QStringLiteral(" amp\t");
    EXPECT_EQ(filter.candidates(all), (QList<Document*>{amp, tl}));  // the title, and the tag "opamp"
    filter.search = QStringLiteral("manual");
    EXPECT_EQ(filter.candidates(all), QList<Document*>{amp});
    tl->setTags(QStringLiteral("İşlemsel"));
    filter.search = QStringLiteral("işlemsel");
    EXPECT_EQ(filter.candidates(all), QList<Document*>{tl});
    filter.search.clear();
    filter.typeFilter = DocType::datasheet;
    EXPECT_EQ(filter.candidates(all), QList<Document*>{tl});
    EXPECT_FALSE(filter.nothingToAdd(all));
    filter.attachedFileNames = {QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf")};
    EXPECT_TRUE(filter.nothingToAdd(all));
    EXPECT_TRUE(filter.nothingToAdd({}));
}

TEST_F(DocumentPanelsTest, SelectAllTogglesOverTheVisibleDocuments)
{
    DocumentBrowserModel m(*ctx);
    Document* a = doc(QStringLiteral("a.pdf"), QStringLiteral("a"), DocType::datasheet);
    Document* b = doc(QStringLiteral("b.pdf"), QStringLiteral("b"), DocType::pinout);
    m.documents = {a, b};
    m.selectedIDs = {b->persistentModelID()};
    m.typeFilter = DocType::datasheet;
    m.toggleSelectAll();  // exactly the visible ones: the hidden b drops out
    EXPECT_EQ(m.selectedDocuments(), QList<Document*>{a});
    m.toggleSelectAll();
    EXPECT_TRUE(m.selectedIDs.isEmpty());
    m.typeFilter = DocType::schematic;  // nothing visible
    m.toggleSelectAll();
    EXPECT_TRUE(m.selectedIDs.isEmpty());
}

}  // namespace
