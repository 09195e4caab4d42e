#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>

// Opens the application's auxiliary windows by identifier. A window group ("welcome", "help")
// makes a new window for every request; a single window ("settings", "changelog") is made once
// and brought to the front when it is asked for while open; a keyed kind
// ("capture-viewer", "doc-viewer") keeps one window per value and brings that window to the
// front when the same value is asked for again. Windows are plain objects here; the views give
// the factories and the way to show and raise a window. A window forgets its key when it is
// destroyed. Main thread only.
class WindowRouter : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QObject*()>;
    using KeyedFactory = std::function<QObject*(const QString& key)>;
    using Presenter = std::function<void(QObject* window)>;

    explicit WindowRouter(QObject* parent = nullptr);
    ~WindowRouter() override;

    // The application's router (the last one made current), for pages that open windows; null
    // when there is none, as in most tests.
    static WindowRouter* current();
    void makeCurrent();

    // How a new window is shown and how an open one is brought to the front.
    void setPresenters(Presenter show, Presenter raise);

    // A window group: every open() makes a new window with the factory.
    void registerGroup(const QString& id, Factory factory);
    bool hasGroup(const QString& id) const { return m_groups.contains(id); }
    // A single window: open() makes it with the factory when none is open, else raises the open one.
    void registerSingle(const QString& id, Factory factory);

    // A keyed kind: openKeyed(id, key) makes its windows with the factory.
    void registerKeyed(const QString& id, KeyedFactory factory);

    // A new window of the group, shown (or the open single window, raised); null for an unknown id.
    QObject* open(const QString& id);
    // The window of that kind for that key: the open one raised, or a new one from `factory`.
    QObject* openKeyed(const QString& id, const QString& key, const Factory& factory);
    // The same with the kind's registered factory; null for a kind that isn't registered.
    QObject* openKeyed(const QString& id, const QString& key);

    // The open windows of an id, oldest first.
    QList<QObject*> windows(const QString& id) const;
    QObject* keyedWindow(const QString& id, const QString& key) const;

Q_SIGNALS:
    void windowOpened(const QString& id, QObject* window);

private:
    void track(const QString& id, QObject* window);

    QHash<QString, Factory> m_groups;
    QSet<QString> m_single;
    QHash<QString, KeyedFactory> m_keyedFactories;
    QHash<QString, QList<QPointer<QObject>>> m_open;
    QHash<QString, QHash<QString, QPointer<QObject>>> m_keyed;
    Presenter m_show;
    Presenter m_raise;
};
