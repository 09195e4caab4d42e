#pragma once

#include <QDialog>
#include <QList>

class Capture;
class CompareChart;
class ModelContext;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QStackedWidget;
class ReadingFillIn;

// The compare sheet: the captures side by side in a sequence the user rearranges by dragging
// one column onto another, their readings charted across the sequence, and a fill-in of the
// readings that are missing. The fill-in runs on after the sheet closes.
class CompareView : public QDialog {
    Q_OBJECT
public:
    CompareView(const QList<Capture*>& captures, ModelContext& context, QWidget* parent = nullptr);

    QList<Capture*> order() const { return m_order; }
    bool isAnalyzing() const;
    // Reorders as a drop of `texts` onto the column of `target` would; false when refused.
    bool handleDrop(const QStringList& texts, Capture* target);
    // Re-reads the captures into the columns and the chart.
    void rebuild();

    CompareChart* chart() const { return m_chart; }
    QLabel* headingLabel() const { return m_heading; }
    QLabel* placeholderLabel() const { return m_placeholder; }
    QWidget* progressRow() const { return m_progress; }
    QList<QWidget*> columns() const { return m_columns; }

protected:
    void showEvent(QShowEvent*) override;

private:
    ModelContext& m_context;
    QList<Capture*> m_captures;
    QList<Capture*> m_order;
    ReadingFillIn* m_fill;
    QWidget* m_progress = nullptr;
    QWidget* m_columnsRow = nullptr;
    QHBoxLayout* m_columnsLayout = nullptr;
    QList<QWidget*> m_columns;
    QLabel* m_heading = nullptr;
    QStackedWidget* m_chartArea = nullptr;
    CompareChart* m_chart = nullptr;
    QLabel* m_placeholder = nullptr;
};
