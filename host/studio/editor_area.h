#pragma once

#include "studio/file_editor.h"

#include <QTabWidget>

#include <map>
#include <string>
#include <vector>

namespace avrtazu {

// The editor tabs: one FileEditor per file, found by the file's canonical Linux path. Every
// question about unsaved text goes through the DialogService.
class EditorArea : public QTabWidget {
    Q_OBJECT

public:
    // What closing an editor with unsaved text asks.
    enum class Question {
        // Save, discard, or keep the editor open.
        SaveDiscardCancel,
        // Save or discard: the editor closes either way.
        SaveDiscard,
        // Nothing: the text is dropped.
        None
    };

    explicit EditorArea(QWidget* parent = nullptr);

    // Shows the file's editor, opening it first when needed; null and *error when the file
    // cannot be read.
    FileEditor* openFile(const std::string& linuxPath, std::string* error);
    FileEditor* find(const std::string& linuxPath) const;
    FileEditor* currentEditor() const;
    std::vector<FileEditor*> editors() const;
    std::vector<FileEditor*> modifiedEditors() const;

    // Closes an editor; false when it stays open (the user kept it or saving it failed).
    bool closeEditor(FileEditor* editor, Question question);
    // Saves every modified editor; stops at the first failure with *error.
    bool saveAll(std::string* error);
    // Closes every editor without asking.
    void closeAll();

    // The last build's complaints, kept for files opened later: marked in the file's editor.
    void addDiagnostic(const std::string& linuxPath, const FileEditor::Diagnostic& diagnostic);
    // A new build starts: the marks of the last one go.
    void clearDiagnostics();

    // The path that identifies a file: absolute, normal, symbolic links resolved.
    static std::string canonicalPath(const std::string& linuxPath);

signals:
    // The current editor changed, or its cursor moved.
    void cursorPlaceChanged();

private:
    void updateTitle(FileEditor* editor);
    // Shows a failure in a message box.
    static void report(const std::string& text);

    std::map<std::string, std::vector<FileEditor::Diagnostic>> m_diagnostics;
};

} // namespace avrtazu
