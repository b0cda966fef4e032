// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/icon.h"

#include <QPixmap>

namespace vorna::app {

// clang-format off
static const char *const vorna_icon_xpm[] = {
    "32 32 13 1",
    "  c None",
    ". c #000000",
    "a c #404040",
    "b c #808080",
    "c c #C0C0C0",
    "d c #FFFFFF",
    "e c #000080",
    "f c #0000FF",
    "g c #8080FF",
    "h c #FF0000",
    "j c #FFFF00",
    "k c #808000",
    "l c #008000",
    "                                ",
    "  ....................          ",
    "  .dddddddddddddddddb.          ",
    "  .dccccccccccccccccb.          ",
    "  .dcaaaaaaaaaaaaaacb.          ",
    "  .dcaddddddddddddacb.          ",
    "  .dcadcccccccccccacb.          ",
    "  .dcadcaaaaaaaaccacb.lll       ",
    "  .dcadcccccccccccacb.  lll     ",
    "  .dcadcaaaaaaaaccacb.    lll   ",
    "  .dcadcccccccccccacb.lll   ll  ",
    "  .dcadc.........cacb.  ll   l  ",
    "  .dcadc.hhh.hhh.cacb.   ll  ll ",
    "  .dcadc.h.h...h.cacb.ll  ll  l ",
    "  .dcadc.h.h...h.cacb. ll  ll ll",
    "  .dcadc.h.h...h.cacb.  ll  l  l",
    "  .dcadc.hhh...h.cacb.   l  l  l",
    "  .dcadc.........cacb.   l      ",
    "  .dcadcccccccccccacb.          ",
    "  .dcadcccccceeeeeeeeeeeeeeeeee ",
    "  .dcadccccccegggggggggggggggge ",
    "  .dcadcccccceffffffffffffffffe ",
    "  .dcadccccccefkkkkkffffffffffe ",
    "  .dcadccccccefkjjjkffffffffffe ",
    "  .dcadccccccefkkkkkffffffffffe ",
    "  .dcadccccccefkjjjkffffffffffe ",
    "  .dcadccccccefkkkkkfgggggffffe ",
    "  .dcaaaaaaaaeffffffffffffffffe ",
    "  .dcccccccccefffffffddddddddfe ",
    "  .bbbbbbbbbbeffffffffffffffffe ",
    "  ...........eeeeeeeeeeeeeeeeee ",
    "                                "
};
// clang-format on

QIcon vornaIcon()
{
    return QIcon(QPixmap(vorna_icon_xpm));
}

} // namespace vorna::app
