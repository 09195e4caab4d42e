#include "Corvallen/Platform/Views/ShowInFileManager.h"

#include "Corvallen/Platform/FileManager.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

void showInFileManager(const QString& path, QWidget* parent, std::function<void(const QString& reason)> cannotShow)
{
    QPointer<QWidget> owner(parent);
    FileManager::showInFiles(path, parent, [owner, cannotShow = std::move(cannotShow)](const QString& error) {
        if (error.isEmpty() || !owner)
            return;
        if (cannotShow) {
            cannotShow(error);
            return;
        }
        auto* box = new QMessageBox(QMessageBox::Information, QObject::tr("Show in Files"), error, QMessageBox::Ok, owner);
        box->setObjectName(QStringLiteral("showInFilesFailed"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    });
}
