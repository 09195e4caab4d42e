#pragma once

#include "Corvallen/Devices/BenchDevice.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <optional>

class ManageDevicesSheet;
class QAbstractButton;
class QLabel;
class QStackedWidget;
class QVBoxLayout;

// The Devices destination: a narrow column of the device kinds the user hasn't hidden, and the
// selected device's page beside it. The hidden kinds live in "hiddenDeviceIDs" (shared with the
// sync-location list); the "Manage Devices" sheet hides and shows them. Selection and sheet
// are page state: each new page starts with the first visible device selected.
class DevicesView : public QWidget {
    Q_OBJECT
public:
    explicit DevicesView(QWidget* parent = nullptr);

    std::optional<BenchDevice> selection() const { return m_selection; }
    // Selects a device whose row is shown (row click); ignored for a hidden one.
    void select(BenchDevice device);

    QSet<QString> hiddenIDs() const;
    // BenchDevice::allCases() without the hidden kinds, in order.
    QList<BenchDevice> visibleDevices() const;

    // Opens the "Manage Devices" sheet (window-modal, returns at once).
    void openManageDevices();
    // The open sheet, or null.
    ManageDevicesSheet* manageSheet() const { return m_sheet; }

    // The page shown on the right for the selection (null when none is selected).
    QWidget* detailPage() const { return m_detail; }

Q_SIGNALS:
    void selectionChanged();

private:
    void rebuildColumn();
    void ensureSelection();
    void showDetail();

    std::optional<BenchDevice> m_selection;
    QVBoxLayout* m_rowsLayout = nullptr;
    QWidget* m_emptyState = nullptr;
    QWidget* m_rowsArea = nullptr;
    QList<QAbstractButton*> m_rows;
    QStackedWidget* m_detailStack = nullptr;
    QWidget* m_placeholder = nullptr;
    QPointer<QWidget> m_detail;
    QPointer<ManageDevicesSheet> m_sheet;
};
