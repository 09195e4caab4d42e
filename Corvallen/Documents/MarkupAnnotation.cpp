#include "Corvallen/Documents/MarkupAnnotation.h"

bool MarkupPage::remove(const MarkupAnnotation* a)
{
    for (qsizetype i = 0; i < annotations.size(); ++i) {
        if (annotations[i].get() == a) {
            annotations.removeAt(i);
            return true;
        }
    }
    return false;
}

bool MarkupPage::contains(const MarkupAnnotation* a) const
{
    for (const MarkupAnnotationRef& r : annotations)
        if (r.get() == a)
            return true;
    return false;
}

MarkupPageRef MarkupDocument::page(int index) const
{
    if (index < 0 || index >= pages.size())
        return nullptr;
    return pages[index];
}

int MarkupDocument::indexOf(const MarkupPage* page) const
{
    for (int i = 0; i < pages.size(); ++i)
        if (pages[i].get() == page)
            return i;
    return -1;
}

MarkupPageRef MarkupDocument::pageOf(const MarkupAnnotation* a) const
{
    for (const MarkupPageRef& p : pages)
        if (p->contains(a))
            return p;
    return nullptr;
}

bool MarkupDocument::hasAnnotations() const
{
    for (const MarkupPageRef& p : pages)
        if (!p->annotations.isEmpty())
            return true;
    return false;
}

int normalizedRotation(int rotation)
{
    int r = rotation % 360;
    if (r < 0)
        r += 360;
    return r;
}
