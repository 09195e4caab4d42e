#pragma once

#include <QObject>

class QApplication;
class QMessageBox;

// Questions that offer a destructive answer ("Delete", "Remove Location", "Don't Save", ...)
// never have it as their default: when such a question is shown, its cancelling answer becomes
// the default button and takes the focus, so pressing Return never destroys anything.
class DestructiveQuestions : public QObject {
    Q_OBJECT
public:
    // Installs the one watcher on the application (again is harmless).
    static void install(QApplication& app);
    // Makes the cancelling answer the default of a question with a destructive answer; leaves
    // other questions alone.
    static void makeCancelDefault(QMessageBox* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
