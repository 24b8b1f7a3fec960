#include "ui/read_only_look.h"

#include <QLineEdit>

namespace avrtazu {

void showReadOnlyAsSuch(QLineEdit& edit) {
    edit.setStyleSheet(QStringLiteral("QLineEdit:read-only { background: palette(window); }"));
}

} // namespace avrtazu
