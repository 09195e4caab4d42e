#pragma once

#include <QPointer>
#include <QImage>
#include <QScrollArea>

#include <functional>

class Capture;
class FlowLayout;
class ModelContext;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;
class Tag;

// The inspector of one capture: preview, editor window, name, project, tags with suggestions,
// notes, the analysis of its reading, the reading itself and deletion (handed to the browser).
// Name, notes and project are written into the capture as they change and reach the store with
// its automatic saving; tag changes and readings are saved at once.
class SingleCaptureInspector : public QScrollArea {
    Q_OBJECT
public:
    SingleCaptureInspector(ModelContext& context, std::function<void()> onDelete, QWidget* parent = nullptr);

    Capture* capture() const { return m_capture; }
    // Shows another capture; the typed tag, a running analysis and its error stay.
    void setCapture(Capture* capture);
    // Re-reads the capture and the store's projects and tags.
    void refresh();

    // Actions, as the controls run them.
    void openInEditor();
    void addTag(const QString& text);
    void attach(Tag* tag);
    void removeTag(Tag* tag);
    void analyze();
    QList<Tag*> tagSuggestions() const;

    bool isAnalyzing() const { return m_analyzing; }
    QString errorText() const { return m_errorText; }

    QLineEdit* nameField() const { return m_name; }
    QComboBox* projectMenu() const { return m_project; }
    QLineEdit* tagField() const { return m_tagInput; }
    QPushButton* addButton() const { return m_add; }
    QWidget* suggestionBox() const { return m_suggestions; }
    QPlainTextEdit* notesEditor() const { return m_notes; }
    QPushButton* analyzeButton() const { return m_analyze; }
    QLabel* errorLabel() const { return m_error; }
    QGroupBox* readingBox() const { return m_readingBox; }
    QLabel* previewLabel() const { return m_preview; }

Q_SIGNALS:
    // A reading or tag change was written (the browser's cards follow).
    void captureEdited();

protected:
    // The preview follows the width of the column, from its first showing on.
    void resizeEvent(QResizeEvent* event) override;

private:
    void renderPreview();

    void rebuildTags();
    void rebuildSuggestions();
    void rebuildProjects();
    void showReading();
    void showAnalysisState();

    ModelContext& m_context;
    std::function<void()> m_onDelete;
    Capture* m_capture = nullptr;
    bool m_analyzing = false;
    QString m_errorText;

    QLabel* m_preview = nullptr;
    QImage m_previewImage;  // the capture's image as last read, drawn at the column's width
    QLineEdit* m_name = nullptr;
    QComboBox* m_project = nullptr;
    QWidget* m_tagPills = nullptr;
    FlowLayout* m_tagFlow = nullptr;
    QLineEdit* m_tagInput = nullptr;
    QPushButton* m_add = nullptr;
    QWidget* m_suggestions = nullptr;
    QVBoxLayout* m_suggestionLayout = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QPushButton* m_analyze = nullptr;
    QLabel* m_error = nullptr;
    QGroupBox* m_readingBox = nullptr;
    QLabel* m_readingLine = nullptr;
    QLabel* m_minLine = nullptr;
    QLabel* m_maxLine = nullptr;
    QLabel* m_summaryLine = nullptr;
    bool m_updating = false;
};
