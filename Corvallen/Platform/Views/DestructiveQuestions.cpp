#include "Corvallen/Platform/Views/DestructiveQuestions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>

void DestructiveQuestions::install(QApplication& app)
{
    if (app.findChild<DestructiveQuestions*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto* watcher = new DestructiveQuestions();
    watcher->setParent(&app);
    app.installEventFilter(watcher);
}

void DestructiveQuestions::makeCancelDefault(QMessageBox* box)
{
    QPushButton* destructive = nullptr;
    QPushButton* cancel = nullptr;
    for (QAbstractButton* b : box->buttons()) {
        auto* push = qobject_cast<QPushButton*>(b);
        if (!push)
            continue;
        const QMessageBox::ButtonRole role = box->buttonRole(b);
        if (role == QMessageBox::DestructiveRole)
            destructive = push;
        else if (role == QMessageBox::RejectRole && !cancel)
            cancel = push;
    }
    if (!destructive || !cancel)
        return;
    // Return must not reach the destructive answer through its own default flags either.
    destructive->setAutoDefault(false);
    destructive->setDefault(false);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    cancel->setFocus(Qt::OtherFocusReason);
}

bool DestructiveQuestions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
        if (auto* box = qobject_cast<QMessageBox*>(watched))
            makeCancelDefault(box);
    return false;
}
