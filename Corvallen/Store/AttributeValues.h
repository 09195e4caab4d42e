#pragma once

#include "Corvallen/Store/EntityDescriptor.h"

#include <QDateTime>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <bit>
#include <cstddef>
#include <new>
#include <vector>

// The attribute values of one record, by schema index. Only the attributes that hold a value
// take room, each in its type's own form (a text 24 bytes, a UUID 16, a number, flag or date
// 8), together in one block behind one pointer: a record of a wide entity with few values
// filled in (a component made by a BOM import fills 9 of its 32) stays small, and a record
// with none takes no block at all. An absent value and a present one are different things, as
// NULL and an empty text are in the store.
//
// A value is kept in its attribute's type: one given as another type is converted as the
// store converts it when it saves, so the record holds what a reload would give.
class AttributeValues {
public:
    explicit AttributeValues(const EntityDescriptor& entity) : m_entity(&entity) {}
    ~AttributeValues() { release(); }
    AttributeValues(const AttributeValues&) = delete;
    AttributeValues& operator=(const AttributeValues&) = delete;
    // Takes the other's values (a record of the same entity); the other is left empty.
    AttributeValues& operator=(AttributeValues&& other) noexcept;

    const EntityDescriptor& entity() const { return *m_entity; }
    bool has(int index) const { return present() & bit(index); }
    // The value, or an invalid QVariant when absent.
    QVariant value(int index) const;
    // Stores `value` (an invalid one makes the value absent); false when it was already so.
    bool set(int index, const QVariant& value);

    // The stored value when present and of that type (QString for text, qint64, double, bool,
    // QDateTime, QUuid); otherwise nullptr.
    template <class T>
    const T* find(int index) const
    {
        if (!m_block)
            return nullptr;
        const quint64 p = present();
        const auto& k = kinds();
        if (!(p & bit(index) & kindMask<T>(k)))
            return nullptr;
        return std::launder(reinterpret_cast<const T*>(m_block + offset(k, p, index)));
    }

    // Replaces every value with one row: `row` holds a value (or an invalid one) per attribute.
    void assign(const std::vector<QVariant>& row);

private:
    static quint64 bit(int index) { return quint64(1) << index; }
    quint64 present() const { return m_block ? *reinterpret_cast<const quint64*>(m_block) : 0; }
    const EntityDescriptor::AttributeKinds& kinds() const { return m_entity->attributeKinds(); }
    template <class T>
    static quint64 kindMask(const EntityDescriptor::AttributeKinds& k);
    // How many bits are set. Looked up on every value read: done in a few instructions, as the
    // build can't count on the processor's own population count.
    static size_t countBits(quint64 x)
    {
#ifdef __POPCNT__
        return size_t(std::popcount(x));
#else
        x -= (x >> 1) & 0x5555555555555555ULL;
        x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
        x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
        return size_t((x * 0x0101010101010101ULL) >> 56);
#endif
    }
    // Where the value of `index` is (or would go) in a block holding the values of `present`.
    size_t offset(quint64 present, int index) const { return offset(kinds(), present, index); }
    static size_t offset(const EntityDescriptor::AttributeKinds& k, quint64 present, int index)
    {
        return bytesFor(k, present & (bit(index) - 1));
    }
    size_t bytesFor(quint64 values) const { return bytesFor(kinds(), values); }
    static size_t bytesFor(const EntityDescriptor::AttributeKinds& k, quint64 values)
    {
        return sizeof(quint64) + 8 * countBits(values) + 16 * countBits(values & k.text) + 8 * countBits(values & k.uuid);
    }
    // Builds a block for `present` and moves into it the values the old block and `present`
    // share; `fresh` (when not -1) is left for the caller to construct.
    void rebuild(quint64 present, int fresh);
    void construct(std::byte* slot, int index, const QVariant& value) const;
    void relocate(std::byte* from, std::byte* to, int index) const;
    void destroy(std::byte* slot, int index) const;
    void release();

    const EntityDescriptor* m_entity;
    std::byte* m_block = nullptr;  // the present mask, then the values in index order
};

template <>
inline quint64 AttributeValues::kindMask<QString>(const EntityDescriptor::AttributeKinds& k) { return k.text; }
template <>
inline quint64 AttributeValues::kindMask<qint64>(const EntityDescriptor::AttributeKinds& k) { return k.integer; }
template <>
inline quint64 AttributeValues::kindMask<double>(const EntityDescriptor::AttributeKinds& k) { return k.real; }
template <>
inline quint64 AttributeValues::kindMask<bool>(const EntityDescriptor::AttributeKinds& k) { return k.boolean; }
template <>
inline quint64 AttributeValues::kindMask<QDateTime>(const EntityDescriptor::AttributeKinds& k) { return k.date; }
template <>
inline quint64 AttributeValues::kindMask<QUuid>(const EntityDescriptor::AttributeKinds& k) { return k.uuid; }
