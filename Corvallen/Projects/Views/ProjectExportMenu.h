#pragma once

#include "Corvallen/Projects/ProjectExport.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QToolButton>

#include <functional>
#include <memory>

class Project;

// The "Export" menu of a project: the project sheet or the quote as a PDF, saved where the user
// chooses and then shown in the file manager.
class ProjectExportMenu : public QToolButton {
    Q_OBJECT
public:
    enum class Kind { projectSheet, quote };

    explicit ProjectExportMenu(Project* project, QWidget* parent = nullptr);

    // Asks for the destination, then exports.
    void exportProjectSheet();
    void exportQuote();
    // Copies the project (a slice per turn of the event loop), then builds the PDF and moves it
    // to the destination on a worker.
    void exportTo(Kind kind, const QString& destination);

    QMessageBox* openAlert() const { return m_alert; }
    // The progress of a long export, while one runs; its Cancel stops the export.
    QProgressDialog* progress() const { return m_progress; }
    bool isBusy() const { return m_busy; }

    // What happens with a finished file; the file manager by default. Replaceable so that tests
    // start no outside program.
    static void setRevealHandler(std::function<void(const QString&)> handler);
    // Says that the file was saved but could not be shown (a window-modal note on this menu).
    void reportCannotShow(const QString& path);
    // How every saved export is confirmed: the file shown in the file manager (or handed to the
    // reveal handler); when no file manager can show it, a window-modal note on `parent` says
    // where it was saved, given to `noted` so that its owner can keep it.
    static void confirmSaved(const QString& path, QWidget* parent, const std::function<void(QMessageBox*)>& noted = {});
    static QMessageBox* savedButNotShownNote(const QString& path, QWidget* parent);

Q_SIGNALS:
    void exportFinished(const QString& destination, const QString& error);

private:
    void chooseAndExport(Kind kind);
    void copySlice(const std::shared_ptr<SheetProjectReader>& reader, Kind kind, const QDateTime& date,
                   const QString& destination);
    void build(const ProjectExport::Builder& build, const QString& destination);
    void fail(const QString& message);
    static constexpr int copySliceMilliseconds = 20;
    static constexpr int progressRange = 1000;

    Project* m_project;
    QPointer<QMessageBox> m_alert;
    QPointer<QProgressDialog> m_progress;
    bool m_busy = false;
};
