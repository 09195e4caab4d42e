#pragma once

#include <QPointer>
#include <QToolButton>

#include <functional>

class Project;
#include <QMessageBox>

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
    // Builds the PDF and moves it to the destination (the move runs on a worker).
    void exportTo(Kind kind, const QString& destination);

    QMessageBox* openAlert() const { return m_alert; }
    bool isBusy() const { return m_busy; }

    // What happens with a finished file; the file manager by default. Replaceable so that tests
    // start no outside program.
    static void setRevealHandler(std::function<void(const QString&)> handler);
    // Says that the file was saved but could not be shown (a window-modal note on this menu).
    void reportCannotShow(const QString& path);

Q_SIGNALS:
    void exportFinished(const QString& destination, const QString& error);

private:
    void chooseAndExport(Kind kind);
    void fail(const QString& message);

    Project* m_project;
    QPointer<QMessageBox> m_alert;
    bool m_busy = false;
};
