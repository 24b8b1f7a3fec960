#include "studio/editor_area.h"

#include "studio/file_editor.h"

#include "platform/dialog_service.h"

#include <QFile>

#include <filesystem>

namespace avrtazu {

namespace {

constexpr const char* kCaption = "AVR TAZU Studio";

} // namespace

EditorArea::EditorArea(QWidget* parent) : QTabWidget(parent) {
    setTabsClosable(true);
    setMovable(true);
    setDocumentMode(true);
    connect(this, &QTabWidget::tabCloseRequested, this, [this](int index) {
        closeEditor(qobject_cast<FileEditor*>(widget(index)), Question::SaveDiscardCancel);
    });
    connect(this, &QTabWidget::currentChanged, this, [this] { emit cursorPlaceChanged(); });
}

std::string EditorArea::canonicalPath(const std::string& linuxPath) {
    std::error_code failure;
    std::filesystem::path path = std::filesystem::weakly_canonical(linuxPath, failure);
    if (failure) {
        path = std::filesystem::absolute(linuxPath, failure).lexically_normal();
    }
    return path.string();
}

FileEditor* EditorArea::find(const std::string& linuxPath) const {
    const std::string wanted = canonicalPath(linuxPath);
    for (FileEditor* editor : editors()) {
        if (editor->path() == wanted) {
            return editor;
        }
    }
    return nullptr;
}

FileEditor* EditorArea::openFile(const std::string& linuxPath, std::string* error) {
    FileEditor* editor = find(linuxPath);
    if (editor == nullptr) {
        auto* created = new FileEditor(this);
        if (!created->load(canonicalPath(linuxPath), error)) {
            delete created;
            return nullptr;
        }
        editor = created;
        addTab(editor, editor->fileName());
        setTabToolTip(indexOf(editor),
                      QFile::decodeName(QByteArray::fromStdString(editor->path())));
        connect(editor, &QsciScintilla::modificationChanged, this,
                [this, editor] { updateTitle(editor); });
        const auto known = m_diagnostics.find(editor->path());
        if (known != m_diagnostics.end()) {
            for (const FileEditor::Diagnostic& diagnostic : known->second) {
                editor->addDiagnostic(diagnostic);
            }
        }
        connect(editor, &QsciScintilla::cursorPositionChanged, this, [this, editor] {
            if (editor == currentWidget()) {
                emit cursorPlaceChanged();
            }
        });
    }
    setCurrentWidget(editor);
    editor->setFocus();
    return editor;
}

FileEditor* EditorArea::currentEditor() const {
    return qobject_cast<FileEditor*>(currentWidget());
}

std::vector<FileEditor*> EditorArea::editors() const {
    std::vector<FileEditor*> all;
    for (int i = 0; i < count(); ++i) {
        if (auto* editor = qobject_cast<FileEditor*>(widget(i))) {
            all.push_back(editor);
        }
    }
    return all;
}

std::vector<FileEditor*> EditorArea::modifiedEditors() const {
    std::vector<FileEditor*> modified;
    for (FileEditor* editor : editors()) {
        if (editor->isModified()) {
            modified.push_back(editor);
        }
    }
    return modified;
}

bool EditorArea::closeEditor(FileEditor* editor, Question question) {
    if (editor == nullptr || indexOf(editor) < 0) {
        return true;
    }
    if (editor->isModified() && question != Question::None) {
        const bool cancellable = question == Question::SaveDiscardCancel;
        const MessageAnswer answer = DialogService::current().messageBox(
            "Save the changes to " + editor->fileName().toStdString() + "?", kCaption,
            MessageIcon::Question,
            cancellable ? MessageButtons::YesNoCancel : MessageButtons::YesNo);
        if (answer == MessageAnswer::Cancel) {
            return false;
        }
        if (answer == MessageAnswer::Yes) {
            std::string error;
            if (!editor->save(&error)) {
                report(error);
                // Without a way to stay open the text goes; the user was told why.
                if (cancellable) {
                    return false;
                }
            }
        }
    }
    removeTab(indexOf(editor));
    editor->deleteLater();
    return true;
}

bool EditorArea::saveAll(std::string* error) {
    for (FileEditor* editor : modifiedEditors()) {
        if (!editor->save(error)) {
            return false;
        }
    }
    return true;
}

void EditorArea::closeAll() {
    for (FileEditor* editor : editors()) {
        removeTab(indexOf(editor));
        editor->deleteLater();
    }
}

void EditorArea::addDiagnostic(const std::string& linuxPath,
                               const FileEditor::Diagnostic& diagnostic) {
    const std::string path = canonicalPath(linuxPath);
    m_diagnostics[path].push_back(diagnostic);
    if (FileEditor* editor = find(path)) {
        editor->addDiagnostic(diagnostic);
    }
}

void EditorArea::clearDiagnostics() {
    m_diagnostics.clear();
    for (FileEditor* editor : editors()) {
        editor->clearDiagnostics();
    }
}

void EditorArea::updateTitle(FileEditor* editor) {
    const int index = indexOf(editor);
    if (index >= 0) {
        setTabText(index, editor->fileName() + (editor->isModified() ? QStringLiteral(" *") : ""));
    }
}

void EditorArea::report(const std::string& text) {
    DialogService::current().messageBox(text, kCaption, MessageIcon::Error, MessageButtons::Ok);
}

} // namespace avrtazu
