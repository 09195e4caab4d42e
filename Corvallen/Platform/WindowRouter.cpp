#include "Corvallen/Platform/WindowRouter.h"

namespace {
QPointer<WindowRouter> g_current;
}  // namespace

WindowRouter::WindowRouter(QObject* parent)
    : QObject(parent)
{
}

WindowRouter::~WindowRouter() = default;

WindowRouter* WindowRouter::current() { return g_current.data(); }

void WindowRouter::makeCurrent() { g_current = this; }

void WindowRouter::registerKeyed(const QString& id, KeyedFactory factory) { m_keyedFactories.insert(id, std::move(factory)); }

QObject* WindowRouter::openKeyed(const QString& id, const QString& key)
{
    const auto it = m_keyedFactories.constFind(id);
    if (it == m_keyedFactories.constEnd() || !*it)
        return nullptr;
    const KeyedFactory factory = *it;
    return openKeyed(id, key, [factory, key] { return factory(key); });
}

void WindowRouter::setPresenters(Presenter show, Presenter raise)
{
    m_show = std::move(show);
    m_raise = std::move(raise);
}

void WindowRouter::registerGroup(const QString& id, Factory factory) { m_groups.insert(id, std::move(factory)); }

void WindowRouter::registerSingle(const QString& id, Factory factory)
{
    m_single.insert(id);
    registerGroup(id, std::move(factory));
}

void WindowRouter::track(const QString& id, QObject* window)
{
    auto& list = m_open[id];
    list.removeIf([](const QPointer<QObject>& w) { return w.isNull(); });
    list.append(window);
    Q_EMIT windowOpened(id, window);
    if (m_show)
        m_show(window);
}

QObject* WindowRouter::open(const QString& id)
{
    const auto it = m_groups.constFind(id);
    if (it == m_groups.constEnd() || !*it)
        return nullptr;
    if (m_single.contains(id))
        return openKeyed(id, QString(), *it);
    QObject* window = (*it)();
    if (!window)
        return nullptr;
    track(id, window);
    return window;
}

QObject* WindowRouter::openKeyed(const QString& id, const QString& key, const Factory& factory)
{
    if (QObject* existing = keyedWindow(id, key)) {
        if (m_raise)
            m_raise(existing);
        return existing;
    }
    if (!factory)
        return nullptr;
    QObject* window = factory();
    if (!window)
        return nullptr;
    m_keyed[id].insert(key, window);
    track(id, window);
    return window;
}

QList<QObject*> WindowRouter::windows(const QString& id) const
{
    QList<QObject*> out;
    for (const QPointer<QObject>& w : m_open.value(id))
        if (w)
            out << w.data();
    return out;
}

QObject* WindowRouter::keyedWindow(const QString& id, const QString& key) const
{
    const auto kinds = m_keyed.constFind(id);
    if (kinds == m_keyed.constEnd())
        return nullptr;
    const auto it = kinds->constFind(key);
    if (it == kinds->constEnd())
        return nullptr;
    return it->data();  // null once the window is gone
}
