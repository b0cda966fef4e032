// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <gtest/gtest.h>

#ifdef VORNA_TEST_GUI_APPLICATION
#include "cli/site_sheet.h"
#endif

// Tests that drive a QtSerialPort need an application object for its notifiers.
int main(int argc, char **argv)
{
#ifdef VORNA_TEST_GUI_APPLICATION
    // The site sheet's QPdfWriter needs a QGuiApplication: the report command's own.
    const auto app = vorna::cli::makeSheetApplication(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
