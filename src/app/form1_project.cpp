#include "app/form1.h"

namespace vorna::app {

// Project file: filled in with the project file reader and writer.
void TForm1::Button42Click() {}
void TForm1::Button43Click() {}

} // namespace vorna::app
