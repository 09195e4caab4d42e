#include "Corvallen/Store/AttributeValues.h"

#include <cstring>
#include <new>

namespace {

template <class T>
T& at(std::byte* slot) { return *std::launder(reinterpret_cast<T*>(slot)); }

}  // namespace

AttributeValues& AttributeValues::operator=(AttributeValues&& other) noexcept
{
    if (this != &other) {
        release();
        m_entity = other.m_entity;
        m_block = std::exchange(other.m_block, nullptr);
    }
    return *this;
}

QVariant AttributeValues::value(int index) const
{
    const quint64 b = bit(index);
    if (!(present() & b))
        return {};
    std::byte* slot = m_block + offset(present(), index);
    const auto& k = kinds();
    if (k.text & b)
        return at<QString>(slot);
    if (k.integer & b)
        return QVariant(at<qint64>(slot));
    if (k.real & b)
        return at<double>(slot);
    if (k.boolean & b)
        return at<bool>(slot);
    if (k.date & b)
        return at<QDateTime>(slot);
    return at<QUuid>(slot);
}

bool AttributeValues::set(int index, const QVariant& value)
{
    const quint64 b = bit(index);
    const quint64 p = present();
    if (!value.isValid()) {
        if (!(p & b))
            return false;
        rebuild(p & ~b, -1);
        return true;
    }
    if (!(p & b)) {
        rebuild(p | b, index);
        construct(m_block + offset(p | b, index), index, value);
        return true;
    }
    // Same value, same answer as before: nothing changes (an empty text stays as it was).
    std::byte* slot = m_block + offset(p, index);
    auto replace = [](auto& current, auto&& fresh) {
        if (current == fresh)
            return false;
        current = std::move(fresh);
        return true;
    };
    const auto& k = kinds();
    if (k.text & b)
        return replace(at<QString>(slot), value.toString());
    if (k.integer & b)
        return replace(at<qint64>(slot), value.toLongLong());
    if (k.real & b)
        return replace(at<double>(slot), value.toDouble());
    if (k.boolean & b)
        return replace(at<bool>(slot), value.toBool());
    if (k.date & b)
        return replace(at<QDateTime>(slot), value.toDateTime());
    return replace(at<QUuid>(slot), value.toUuid());
}

void AttributeValues::assign(const std::vector<QVariant>& row)
{
    quint64 p = 0;
    for (size_t i = 0; i < row.size(); ++i)
        if (row[i].isValid())
            p |= bit(int(i));
    release();
    if (!p)
        return;
    m_block = static_cast<std::byte*>(::operator new(bytesFor(p)));
    std::memcpy(m_block, &p, sizeof p);
    for (quint64 m = p; m; m &= m - 1) {
        const int i = std::countr_zero(m);
        construct(m_block + offset(p, i), i, row[size_t(i)]);
    }
}

void AttributeValues::rebuild(quint64 p, int fresh)
{
    std::byte* old = m_block;
    const quint64 oldPresent = present();
    std::byte* block = nullptr;
    if (p) {
        block = static_cast<std::byte*>(::operator new(bytesFor(p)));
        std::memcpy(block, &p, sizeof p);
    }
    for (quint64 m = oldPresent; m; m &= m - 1) {
        const int i = std::countr_zero(m);
        std::byte* from = old + offset(oldPresent, i);
        if (i != fresh && (p & bit(i)))
            relocate(from, block + offset(p, i), i);
        else
            destroy(from, i);
    }
    ::operator delete(old);
    m_block = block;
}

void AttributeValues::construct(std::byte* slot, int index, const QVariant& value) const
{
    const quint64 b = bit(index);
    const auto& k = kinds();
    if (k.text & b)
        new (slot) QString(value.toString());
    else if (k.integer & b)
        new (slot) qint64(value.toLongLong());
    else if (k.real & b)
        new (slot) double(value.toDouble());
    else if (k.boolean & b)
        new (slot) bool(value.toBool());
    else if (k.date & b)
        new (slot) QDateTime(value.toDateTime());
    else
        new (slot) QUuid(value.toUuid());
}

void AttributeValues::relocate(std::byte* from, std::byte* to, int index) const
{
    const quint64 b = bit(index);
    const auto& k = kinds();
    if (k.text & b) {
        new (to) QString(std::move(at<QString>(from)));
        at<QString>(from).~QString();
    } else if (k.date & b) {
        new (to) QDateTime(std::move(at<QDateTime>(from)));
        at<QDateTime>(from).~QDateTime();
    } else if (k.uuid & b) {
        new (to) QUuid(at<QUuid>(from));
    } else if (k.integer & b) {
        new (to) qint64(at<qint64>(from));
    } else if (k.real & b) {
        new (to) double(at<double>(from));
    } else {
        new (to) bool(at<bool>(from));
    }
}

void AttributeValues::destroy(std::byte* slot, int index) const
{
    const quint64 b = bit(index);
    const auto& k = kinds();
    if (k.text & b)
        at<QString>(slot).~QString();
    else if (k.date & b)
        at<QDateTime>(slot).~QDateTime();
}

void AttributeValues::release()
{
    if (!m_block)
        return;
    const quint64 p = present();
    for (quint64 m = p; m; m &= m - 1) {
        const int i = std::countr_zero(m);
        destroy(m_block + offset(p, i), i);
    }
    ::operator delete(m_block);
    m_block = nullptr;
}
