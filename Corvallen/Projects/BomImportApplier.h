#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

class ModelContext;
class Project;

// Applies an imported bill of materials on the main thread, where the store lives, a slice at a
// time: each turn of the event loop creates the new components and allocates the parts of as
// many matches as fit in a few milliseconds and saves them, so a long bill of materials keeps
// the window responsive. At the end the term lists learn the new makers and categories (from one
// new component for each value, so a long import doesn't look at every part again) and the
// store is saved. A component deleted while the preview was open is created anew.
class BomImportApplier : public QObject {
    Q_OBJECT
public:
    BomImportApplier(BomImport::MatchList matches, Project* project, ModelContext& context, QObject* parent = nullptr);

    // Applies a first slice at once (a short list is then finished before this returns) and the
    // rest on the event loop.
    void start();
    // Applies everything now.
    void runToEnd();

    qsizetype done() const { return m_done; }
    qsizetype total() const { return m_matches.size(); }
    bool isFinished() const { return m_finished; }

    // How long one slice may hold the main thread.
    static constexpr int sliceMilliseconds = 30;
    // A shorter slice (0: one match a slice) makes every slice a save of its own however fast
    // the machine is, as a test of an import cut off between slices needs.
    void setSliceMilliseconds(int ms) { m_sliceMs = ms; }

Q_SIGNALS:
    void progress(qsizetype done, qsizetype total);
    // Emitted once, when everything is applied and saved.
    void finished();

private:
    // Applies matches until the budget is spent (a negative budget: until the end); true once
    // everything is applied and saved.
    bool step(qint64 budgetMs);
    void applyOne(qsizetype index);
    void scheduleStep();

    BomImport::MatchList m_matches;
    // A new component for each maker and category the import brought, for the term lists.
    QList<Component*> m_termSources;
    QSet<QString> m_makersSeen;
    QSet<QString> m_categoriesSeen;
    // The spelling a new part takes for a maker or category: the existing term's, else the first
    // spelling this import met, so "yageo" beside a term "Yageo" doesn't become a second option
    // in the filter menus that the term's rename and count then miss.
    struct Spellings {
        bool loaded = false;
        QHash<QString, QString> folded;  // folded -> as stored
    };
    std::optional<QString> spellingOf(const std::optional<QString>& value, Spellings& spellings, int kind);
    Spellings m_makerSpellings;
    Spellings m_categorySpellings;
    Project* m_project;
    ModelContext& m_context;
    qsizetype m_done = 0;
    bool m_finished = false;
    int m_sliceMs = sliceMilliseconds;
    QTimer m_next;
};
