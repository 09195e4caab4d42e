#include "Corvallen/Widgets/Views/SourceList.h"

#include <QListWidget>

namespace SourceList {

void keepCurrentSelected(QListWidget* list)
{
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list] {
        QListWidgetItem* current = list->currentItem();
        if (current && list->selectedItems().isEmpty())
            current->setSelected(true);
    });
}

}  // namespace SourceList
