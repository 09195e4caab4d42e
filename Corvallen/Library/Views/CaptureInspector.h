#pragma once

#include <QList>
#include <QStackedWidget>

#include <functional>

class BulkInspector;
class Capture;
class ModelContext;
class SingleCaptureInspector;

// The browser's inspector column: an empty state with no selection, the single-capture panel
// for one capture and the bulk panel for two or more.
class CaptureInspector : public QStackedWidget {
    Q_OBJECT
public:
    enum class State { none, single, bulk };

    CaptureInspector(ModelContext& context, std::function<void()> onCompare, std::function<void()> onDelete,
                     QWidget* parent = nullptr);

    void setSelected(const QList<Capture*>& selected);
    // Re-reads the shown capture(s) after a store change.
    void refresh();
    State state() const { return m_state; }
    SingleCaptureInspector* single() const { return m_single; }
    BulkInspector* bulk() const { return m_bulk; }

Q_SIGNALS:
    void capturesEdited();

private:
    ModelContext& m_context;
    std::function<void()> m_onCompare;
    std::function<void()> m_onDelete;
    State m_state = State::none;
    QList<Capture*> m_selected;
    QWidget* m_empty = nullptr;
    SingleCaptureInspector* m_single = nullptr;
    BulkInspector* m_bulk = nullptr;
};
