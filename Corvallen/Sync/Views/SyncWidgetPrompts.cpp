#include "Corvallen/Sync/Views/SyncWidgetPrompts.h"

#include "Corvallen/Sync/SyncPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace SyncWidgetPrompts {

namespace {

std::optional<QString> chooseFolder(const QString& startFolder)
{
    QFileDialog panel(QApplication::activeWindow());
    panel.setWindowTitle(QObject::tr("Pick the drive or folder that holds this location's captures."));
    panel.setDirectory(startFolder);
    panel.setFileMode(QFileDialog::Directory);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setLabelText(QFileDialog::Accept, QObject::tr("Choose"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return std::nullopt;
    return panel.selectedFiles().constFirst();
}

bool confirmWholeVolume(const QString& folderName)
{
    QMessageBox alert(QApplication::activeWindow());
    alert.setIcon(QMessageBox::Warning);
    alert.setTextFormat(Qt::PlainText);
    alert.setText(QObject::tr("Sync your entire startup disk?"));
    alert.setInformativeText(QStringLiteral("\u201C") + folderName
                             + QObject::tr("\u201D is a whole system volume. Syncing it scans your entire computer \u2014 it can "
                                           "import thousands of unrelated images and take a long time. You can stop it anytime. "
                                           "Picking a specific folder is usually what you want."));
    QPushButton* cancel = alert.addButton(QObject::tr("Cancel"), QMessageBox::RejectRole);
    QPushButton* anyway = alert.addButton(QObject::tr("Sync Anyway"), QMessageBox::AcceptRole);
    alert.setDefaultButton(cancel);
    alert.setEscapeButton(cancel);
    alert.exec();
    return alert.clickedButton() == anyway;
}

bool confirmLargeBatch(qint64 count, const QString& locationName)
{
    QMessageBox alert(QApplication::activeWindow());
    alert.setIcon(QMessageBox::Information);
    alert.setTextFormat(Qt::PlainText);
    alert.setText(QObject::tr("Import %1 images from %2?").arg(count).arg(locationName));
    alert.setInformativeText(
        QObject::tr("That's a large batch and may take a while. You can stop it anytime from the status bar."));
    QPushButton* import = alert.addButton(QObject::tr("Import"), QMessageBox::AcceptRole);
    QPushButton* cancel = alert.addButton(QObject::tr("Cancel"), QMessageBox::RejectRole);
    alert.setDefaultButton(import);
    alert.setEscapeButton(cancel);
    alert.setWindowModality(Qt::ApplicationModal);
    alert.exec();
    return alert.clickedButton() == import;
}

}  // namespace

void install()
{
    SyncPrompts::setFolderChooser(&chooseFolder);
    SyncPrompts::setWholeVolumeQuestion(&confirmWholeVolume);
    SyncPrompts::setLargeBatchQuestion(&confirmLargeBatch);
}

}  // namespace SyncWidgetPrompts
