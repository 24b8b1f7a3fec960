#include "ui/read_only_look.h"

#include <QFormLayout>
#include <QLineEdit>

namespace avrtazu {

void showReadOnlyAsSuch(QLineEdit& edit) {
    edit.setStyleSheet(QStringLiteral("QLineEdit:read-only { background: palette(window); }"));
}

QLineEdit* addReadOnlyField(QWidget& owner, QFormLayout& form, const char* label,
                            const char* objectName, const QString& text) {
    auto* edit = new QLineEdit(text, &owner);
    edit->setObjectName(QLatin1String(objectName));
    edit->setReadOnly(true);
    showReadOnlyAsSuch(*edit);
    edit->setMinimumWidth(320);
    form.addRow(QLatin1String(label), edit);
    return edit;
}

} // namespace avrtazu
