#include "support/TestStore.h"

#include "Corvallen/Model/Schema.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace corvallen::test {

std::unique_ptr<ModelContainer> openTestStore(QString* path)
{
    const QString file = freshFolder(QStringLiteral("store")) + QStringLiteral("/Corvallen.store");
    if (path)
        *path = file;
    return reopenTestStore(file);
}

std::unique_ptr<ModelContainer> reopenTestStore(const QString& path)
{
    QString error;
    auto container = ModelContainer::open(path, corvallenSchema(), &error);
    EXPECT_TRUE(container) << error.toStdString();
    if (container)
        container->mainContext().setAutosaveEnabled(false);
    return container;
}

}  // namespace corvallen::test
