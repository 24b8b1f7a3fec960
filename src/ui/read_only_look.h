#pragma once

class QLineEdit;

namespace avrtazu {

// Gives a line edit the window's background whenever it is read-only, so that a field the user
// cannot type in does not look like one they can.
void showReadOnlyAsSuch(QLineEdit& edit);

} // namespace avrtazu
