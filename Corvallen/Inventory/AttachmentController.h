#pragma once

#include "Corvallen/Model/DomainError.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class Component;
class ComponentFileDownload;
class ModelContext;

// One attachment of a component (datasheet, manual or photo): stores a chosen or dropped file or
// a downloaded link in the component files folder, names it in the component's field, removes
// it, and opens it. Copies and downloads run off the main thread; busy() and progress tell the
// view. The old file of a replaced or removed attachment goes through ComponentFileCleanup.
// Saving the store is the host's business.
class AttachmentController : public QObject {
    Q_OBJECT
public:
    enum class Kind { photo, document };
    enum class Field { datasheet, manual, photo };

    AttachmentController(ModelContext& context, Component* component, Field field, QObject* parent = nullptr);
    // A copy still running is abandoned: its file is removed once it lands, since nothing will
    // ever name it.
    ~AttachmentController() override;

    Kind kind() const { return m_field == Field::photo ? Kind::photo : Kind::document; }
    Field field() const { return m_field; }
    // "Datasheet", "Manual", "Photo".
    QString label() const;
    // "Add datasheet from link".
    QString linkAlertTitle() const;

    std::optional<QString> file() const;
    // The remembered web link of the field (empty when none).
    QString rememberedURL() const;
    // Where the stored file lives (empty while nothing is attached, or when the stored name is not
    // one plain file name and would lead out of the components folder).
    QString storedPath() const;

    bool busy() const { return m_running > 0; }
    std::optional<QString> error() const { return m_error; }
    // Bytes of the running download so far and expected (-1 when unknown).
    qint64 received() const { return m_received; }
    qint64 expected() const { return m_expected; }

    // A file chosen in the open panel: an earlier failure stays shown.
    void importFile(const QString& path);
    // A file or web link dropped on the control: the first URL only; false when none.
    bool drop(const QList<QUrl>& urls);
    // A link typed in the link alert.
    void download(const QString& link);
    // Cancels a running download.
    void cancelDownload();
    // Clears the field; the stored file goes once the store has saved and nothing names it.
    void remove();
    // Hands the stored file to the desktop; false when nothing is attached, it is missing, or it
    // is a program or desktop entry, which the desktop would run.
    bool open() const;

Q_SIGNALS:
    void changed();

private:
    void startImport(const QString& path);
    void startDownload(const QString& link);
    void begin(bool clearError);
    void finish(const std::optional<QString>& fileName, const std::optional<DomainError>& error);
    void replaceWith(const QString& fileName);
    void setFile(const std::optional<QString>& name);

    ModelContext& m_context;
    Component* m_component;
    Field m_field;
    int m_running = 0;
    std::optional<QString> m_error;
    qint64 m_received = 0;
    qint64 m_expected = -1;
    QList<QPointer<ComponentFileDownload>> m_downloads;
    struct ImportJob;
    QList<std::shared_ptr<ImportJob>> m_imports;
};
