#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/SingleInstance.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Shell/AppStartup.h"
#include "Corvallen/Shell/TerminationSignals.h"
#include "Corvallen/Shell/UnsavedChangesNote.h"
#include "Corvallen/Settings/InterfaceLanguage.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv)
{
    // One copy per data folder, decided before anything else: a second launch never opens the
    // store or takes a snapshot, it hands over to the running copy and ends.
    SingleInstance instance(StoreLocation::dataFolder());
    const bool claimed = instance.tryClaim();

    // The store is opened first, as every launch must: a staged restore goes into place and the
    // snapshot is started before anything reads the store (nothing writes to it until the
    // snapshot is whole). Its records come in as the first window and then the rest need them.
    std::unique_ptr<ModelContainer::PendingOpen> opening;
    if (claimed)
        opening = AppStartup::beginOpenStore();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvallen"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvallen"));
    QApplication::setApplicationVersion(QStringLiteral(CORVALLEN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("corvallen"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvallen.svg")));
    if (!claimed) {
        const SingleInstance::HandOver handed = instance.handOver("activate", 15000);
        if (handed == SingleInstance::HandOver::Delivered)
            return 0;
        if (handed == SingleInstance::HandOver::Claimed) {  // the running copy quit meanwhile
            opening = AppStartup::beginOpenStore();
        } else {
            // A launch from the desktop has no terminal: the user is told in a window why nothing
            // else opens.
            const QString message =
                handed == SingleInstance::HandOver::OtherSession
                    ? QCoreApplication::translate("main", "Corvallen is already running for this data folder in another session. "
                                                          "Quit it there before starting Corvallen here.")
                    : QCoreApplication::translate("main", "Corvallen is already running for this data folder, but it did not "
                                                          "answer. Switch to its window, or quit it before starting Corvallen again.");
            std::fprintf(stderr, "%s\n", qPrintable(message));
            TerminationSignals::quitOnSignals();
            QMessageBox box(QMessageBox::Information, QStringLiteral("Corvallen"), message, QMessageBox::Ok);
            box.setInformativeText(StoreLocation::dataFolder());
            box.exec();
            return 0;
        }
    }
    QString listenError;
    if (!instance.listen(&listenError))
        std::fprintf(stderr, "Corvallen: later launches can't reach this one (%s).\n", qPrintable(listenError));
    TerminationSignals::quitOnSignals();
    // The language chosen in Settings applies from the launch after the choice.
    InterfaceLanguage::installTranslators(app, SettingsStore::shared());

    // The theme follows "appTheme" (nothing is written: a missing key means "system").
    ThemeManager::shared().install(app);

    QString error;
    std::unique_ptr<ModelContainer> container = AppStartup::finishOpenStore(std::move(opening), &error);
    if (!container) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral("Corvallen"), error);
        return 1;
    }

    // A table that turns out to be unreadable while it comes in is a store that could not be
    // opened after all: the same message, and the application stops (nothing is saved).
    QObject::connect(&container->mainContext(), &ModelContext::loadFailed, &app, [](const QString& why) {
        const QString message = AppStartup::storeFailurePrefix() + why;
        std::fprintf(stderr, "%s\n", qPrintable(message));
        QMessageBox::critical(nullptr, QStringLiteral("Corvallen"), message);
        QCoreApplication::exit(1);
    });

    int status = 0;
    {
        CorvallenApp corvallen(std::move(container));
        QObject::connect(&instance, &SingleInstance::activationRequested, &corvallen, &CorvallenApp::bringForward);
        corvallen.show();
        // The first capture analysed reads as fast as the rest.
        AnalyzeService::prepareInBackground();
        for (const QString& notice : {AppStartup::restoreNotice(), UnsavedChangesNote::takeNotice()}) {
            if (notice.isEmpty())
                continue;
            std::fprintf(stderr, "%s\n", qPrintable(notice));
            auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Corvallen"), notice, QMessageBox::Ok, corvallen.mainWindow());
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        }
        status = app.exec();
        // The system may have ended the run (logout, shutdown) while saves were failing: what
        // can't be saved now is noted for the next launch to tell.
        corvallen.saveOrNoteUnsavedChanges();
    }
    return status;
}
