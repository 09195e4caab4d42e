#include "Corvallen/Platform/EntityDescriptor.h"

int EntityDescriptor::attributeIndex(const QString& n) const
{
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::toOneIndex(const QString& n) const
{
    for (int i = 0; i < toOne.size(); ++i)
        if (toOne[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::toManyIndex(const QString& n) const
{
    for (int i = 0; i < toMany.size(); ++i)
        if (toMany[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::uniqueAttribute() const
{
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes[i].unique)
            return i;
    return -1;
}
