#pragma once

#include "Corvallen/Widgets/Views/StringTagPill.h"

#include <QPointer>

class Tag;

// The pill of a stored tag, on the tag's own colour. It follows the tag: renaming it or changing
// its colour repaints the pill. A deleted tag leaves the pill showing its last name and colour.
class TagPill : public StringTagPill {
    Q_OBJECT
public:
    explicit TagPill(Tag* tag, std::function<void()> onRemove = {}, QWidget* parent = nullptr);

    Tag* tag() const { return m_tag; }
    QString name() const override;

protected:
    QColor pillColor() const override;

private:
    void tagMayHaveChanged();

    Tag* m_tag;
    QString m_shownName;
    QString m_shownColor;
};
