#pragma once

#include "Corvallen/Store/AttributeValues.h"
#include "Corvallen/Store/EntityDescriptor.h"
#include "Corvallen/Store/PersistentIdentifier.h"

#include <QDateTime>
#include <QList>
#include <QUuid>
#include <QVariant>

#include <optional>
#include <vector>

class ModelContext;

// Base of every stored entity. Attribute values are kept by schema index (only those present,
// see AttributeValues; an invalid QVariant means "absent"), links to other records as object pointers with both ends kept in step.
// Records are owned by the context they are inserted into; a record that is deleted stays a
// valid object (isDeleted() is true) until the context goes away, so views that still hold it
// never dangle. Main thread only.
class PersistentModel {
public:
    virtual ~PersistentModel();
    PersistentModel(const PersistentModel&) = delete;
    PersistentModel& operator=(const PersistentModel&) = delete;

    virtual const EntityDescriptor& entity() const = 0;

    // Valid once the record is inserted into a context.
    PersistentIdentifier persistentModelID() const;
    ModelContext* modelContext() const { return m_context; }
    // True once deleted from its context (whether or not that deletion is saved yet).
    bool isDeleted() const { return m_state == State::Deleted || m_state == State::Gone; }
    // True while the record has changes its context has not yet saved.
    bool hasChanges() const;
    // A count that moves whenever the record's values or links change (also by a rollback), so
    // that what is worked out from a record can be kept until the record changes.
    quint32 changeCount() const { return m_changeCount; }

    // Generic access by schema index, for the store, backup and tests.
    QVariant attributeValue(int index) const { return m_values.value(index); }
    // The stored value itself when present and of that type (QString for text, qint64, double,
    // bool, QDateTime, QUuid), else nullptr: for a look at many records without copying a
    // value. Valid until the record's values change.
    template <class T>
    const T* storedValue(int index) const { return m_values.find<T>(index); }
    void setAttributeValue(int index, const QVariant& value);
    PersistentModel* toOneValue(int index) const { return toOneSlot(index); }
    // Linking to or from a deleted record (saved or not) is refused: nothing changes.
    void setToOneValue(int index, PersistentModel* target);
    const QList<PersistentModel*>& toManyValue(int index) const
    {
        requireList(index);
        return toManySlot(index);
    }
    // How many records a to-many list holds; answered from the store file while they are not
    // in memory yet.
    qsizetype toManyCount(int index) const;
    void addToMany(int index, PersistentModel* object);
    void removeFromMany(int index, PersistentModel* object);
    void setToMany(int index, const QList<PersistentModel*>& objects);

    friend bool operator==(const PersistentModel& a, const PersistentModel& b) { return &a == &b; }

protected:
    explicit PersistentModel(const EntityDescriptor& descriptor);

    // Each value is read where it is kept; an absent one, or one read as another type, is
    // converted as a QVariant converts it.
    QString text(int i) const
    {
        const QString* v = m_values.find<QString>(i);
        return v ? *v : m_values.value(i).toString();
    }
    std::optional<QString> optText(int i) const;
    qint64 integer(int i) const
    {
        const qint64* v = m_values.find<qint64>(i);
        return v ? *v : m_values.value(i).toLongLong();
    }
    double real(int i) const
    {
        const double* v = m_values.find<double>(i);
        return v ? *v : m_values.value(i).toDouble();
    }
    std::optional<double> optReal(int i) const;
    bool boolean(int i) const
    {
        const bool* v = m_values.find<bool>(i);
        return v ? *v : m_values.value(i).toBool();
    }
    QDateTime date(int i) const
    {
        const QDateTime* v = m_values.find<QDateTime>(i);
        return v ? *v : m_values.value(i).toDateTime();
    }
    QUuid uuid(int i) const
    {
        const QUuid* v = m_values.find<QUuid>(i);
        return v ? *v : m_values.value(i).toUuid();
    }

    void setOptText(int i, const std::optional<QString>& v) { setAttributeValue(i, v ? QVariant(*v) : QVariant()); }
    void setOptReal(int i, std::optional<double> v) { setAttributeValue(i, v ? QVariant(*v) : QVariant()); }

    template <class T>
    T* toOne(int i) const { return static_cast<T*>(toOneSlot(i)); }
    template <class T>
    QList<T*> toMany(int i) const
    {
        requireList(i);
        QList<T*> out;
        const auto& list = toManySlot(i);
        out.reserve(list.size());
        for (PersistentModel* m : list)
            out.append(static_cast<T*>(m));
        return out;
    }

private:
    friend class ModelContext;
    enum class State : quint8 { Detached, New, Persisted, Deleted, Gone };

    void noteChanged(bool storedColumns);
    // While the context is still reading its tables: the members of a to-many list, and the
    // rest of a record handed out early, are brought in before they are read or changed.
    void requireList(int index) const;
    void requireAdopted() const;
    void linkInverse(int toOneIndex, PersistentModel* target);
    void unlinkInverse(int toOneIndex, PersistentModel* target);

    AttributeValues m_values;
    // A record's links, sized by its entity: the to-one targets, then the to-many lists. Kept
    // in the record itself when they fit (a parts-list line's two targets, a component's one
    // list), else in a block of their own; none when the entity has no relationships.
    PersistentModel*& toOneSlot(int index) const { return reinterpret_cast<PersistentModel**>(m_links)[index]; }
    QList<PersistentModel*>& toManySlot(int index) const
    {
        const size_t ones = size_t(m_values.entity().toOne.size());
        return reinterpret_cast<QList<PersistentModel*>*>(m_links + ones * sizeof(PersistentModel*))[index];
    }
    // Appends to a to-many list. Most lists hold one record (a part used in one project): the
    // first member gets a block of its own size, not room to grow.
    static void appendMember(QList<PersistentModel*>& list, PersistentModel* member)
    {
        if (list.capacity() == 0)
            list.reserve(1);
        list.append(member);
    }
    // The stored record this one was merged into by an insert (see ModelContext::insert).
    PersistentModel* mergedInto() const;

    // What a look over many records reads (values, links, state) comes first, in one cache line.
    std::byte* m_links = nullptr;
    State m_state = State::Detached;
    bool m_changed = false;      // stored columns differ from the saved row
    bool m_joinChanged = false;  // many-to-many links owned by this record changed
    // A stored record handed out before its table came in (see ModelContext::fetchTop).
    bool m_early = false;
    quint32 m_changeCount = 0;
    alignas(QList<PersistentModel*>) std::byte m_linksInside[sizeof(QList<PersistentModel*>)];
    ModelContext* m_context = nullptr;
    qint64 m_key = 0;
};

inline size_t qHash(const PersistentModel* m, size_t seed = 0) { return ::qHash(quintptr(m), seed); }
