#pragma once

#include <functional>

class QDialog;

// Every secondary window is shown modally through here, so that a test can
// fill the real window's controls and choose OK or Cancel.
namespace ModalWindows {

// Shows the window modally and returns its result (QDialog::Accepted or Rejected).
int exec(QDialog* window);

// Tests install a runner that receives the real window instead of a modal loop.
using Runner = std::function<int(QDialog*)>;
void setRunner(Runner runner); // an empty runner restores the real loop

} // namespace ModalWindows
