// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtTest>

// The window tests share one program, gui_tests (support/gui_main.cpp): linking the
// window and Qt Widgets into a program per file cost more than the tests. It runs
// the file named by its first argument, with the rest as that file's arguments:
//   gui_tests tst_gauge [Qt Test options]
// so every file runs in a process of its own, as before.
namespace vorna::test {

using GuiMain = int (*)(int argc, char **argv);

// Adds a file's main function to the program under the file's name.
struct GuiPart {
    GuiPart(const char *name, GuiMain main);
};

} // namespace vorna::test

// A file's own main function: VORNA_GUI_MAIN(tst_name) { ... } where it had main().
#define VORNA_GUI_MAIN(name)                                                   \
    static int name##_main(int argc, char **argv);                             \
    static const vorna::test::GuiPart name##_part(#name, name##_main);         \
    static int name##_main(int argc, char **argv)

// What QTEST_MAIN(TestObject) does in a Qt Widgets test, as a file's main function.
#define VORNA_GUI_TEST_MAIN(name, TestObject)                                  \
    VORNA_GUI_MAIN(name)                                                       \
    {                                                                          \
        QTest::Internal::callInitMain<TestObject>();                           \
        QTEST_MAIN_SETUP()                                                     \
        TestObject tc;                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                             \
        return QTest::qExec(&tc, argc, argv);                                  \
    }
