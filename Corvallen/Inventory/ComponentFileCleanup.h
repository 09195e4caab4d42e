#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class ModelContext;

// Removes attachment files that a component no longer names. A replaced or removed attachment
// is not deleted at once: the component's change may still fail to save (or be rolled back), and
// another component may name the same stored file (a restored backup or a copied record). So the
// name waits until the store has saved successfully, and the file goes only if no live
// component's photo, datasheet or manual field names it then.
class ComponentFileCleanup : public QObject {
    Q_OBJECT
public:
    // The one cleanup of a context (created on first use, lives as long as the context).
    static ComponentFileCleanup& forContext(ModelContext& context);

    void scheduleRemoval(const QString& fileName);
    QSet<QString> pending() const { return m_pending; }

    // Whether any live component of the context names the file in one of its file fields.
    static bool isNamed(const QString& fileName, ModelContext& context);

private:
    explicit ComponentFileCleanup(ModelContext& context);
    void onSaved();

    ModelContext& m_context;
    QSet<QString> m_pending;
};
