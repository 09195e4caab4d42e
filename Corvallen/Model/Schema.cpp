#include "Corvallen/Model/Schema.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"

QList<const EntityDescriptor*> corvallenSchema()
{
    return {&Capture::descriptor(), &Component::descriptor(), &Document::descriptor(), &Project::descriptor(),
            &ProjectComponent::descriptor(), &ProjectDocument::descriptor(), &Tag::descriptor(),
            &TaxonomyTerm::descriptor()};
}
