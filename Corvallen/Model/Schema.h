#pragma once

#include "Corvallen/Store/EntityDescriptor.h"

#include <QList>

// The eight entity types of the store, in the order the store lays them out.
QList<const EntityDescriptor*> corvallenSchema();
