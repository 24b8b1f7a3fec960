#pragma once

class QFormLayout;
class QLineEdit;
class QString;
class QWidget;

namespace avrtazu {

// Gives a line edit the window's background whenever it is read-only, so that a field the user
// cannot type in does not look like one they can.
void showReadOnlyAsSuch(QLineEdit& edit);

// A row of a properties dialog: its label and a read-only field of at least 320 pixels holding
// text, named objectName, owned by owner; gives the field.
QLineEdit* addReadOnlyField(QWidget& owner, QFormLayout& form, const char* label,
                            const char* objectName, const QString& text);

} // namespace avrtazu
