#include <QLineEdit>

#include "app/form1.h"
#include "ops/card_numbers.h"

namespace vorna::app {

void TForm1::RadioGroup1Click()
{
    const int maxLength = ops::cardMaxLength(cardTypeIndex());
    for (int n = 2; n <= 33; ++n)
        edit(n)->setMaxLength(maxLength);
}

// Controller operations: filled in with their operations.
void TForm1::Button35Click() {}
void TForm1::Button34Click() {}
void TForm1::ReadCardFromReader(int) {}
void TForm1::Button36Click() {}
void TForm1::Button37Click() {}
void TForm1::Button41Click() {}
void TForm1::Button40Click() {}
void TForm1::Button39Click() {}
void TForm1::Button44Click() {}
void TForm1::Button45Click() {}
void TForm1::OpenLocker(int) {}
void TForm1::Button46Click() {}

} // namespace vorna::app
