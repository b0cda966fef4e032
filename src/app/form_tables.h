// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QPoint>
#include <QRect>
#include <array>
#include <span>

// Where the window's controls stand and what they say. All places are client
// coordinates in pixels; a label given by its top-left point fits its text.
namespace vorna::app::layout {

inline constexpr QSize kClientSize{1132, 611};
inline constexpr int kLabelHeight = 13;

enum class Tint { Window, Red, Navy, Maroon, Green, Teal };
QColor tintColour(Tint tint);

struct LabelSpec {
    int number;
    const char *text; // UTF-8
    QPoint at;
    Tint tint;
};

// Bold headers, centred in their box.
struct HeaderSpec {
    int number;
    const char *text;
    QRect box;
};

struct ButtonSpec {
    int number;
    const char *caption;
    QRect place;
    Tint tint;
    bool bold;
    int pixelSize;       // 0: the window font's
    const char *hint;    // pop-up hint, or nullptr
    const char *name;    // accessible name when the caption says too little, or nullptr
};

struct GaugeSpec {
    int number;
    QRect place;
    int maxValue;
    const char *name;
};

// One opening time: label, field, unit label.
struct TimeRow {
    LabelSpec label;
    int edit;
    int editLeft;
    int unitLabel;
    int unitLeft;
};

// The label of card field Edit(k), k = 2..33, at index k - 2.
struct CardRow {
    int label;
    const char *text;
    Tint tint;
};

extern const std::array<LabelSpec, 2> kTopLabels;
extern const std::array<HeaderSpec, 4> kHeaders;
extern const std::array<ButtonSpec, 14> kButtons;
extern const std::array<GaugeSpec, 3> kGauges;
extern const std::array<TimeRow, 3> kTimeRows;
extern const std::array<CardRow, 32> kCardRows;
extern const std::array<int, 7> kGuardianHeaderLabels;

const ButtonSpec &buttonSpec(int number);

// Card block: Edit2..Edit33, each with its label on the left and its capture button
// Button2..Button33 on the right.
QRect cardFieldRect(int edit);
QPoint cardLabelAt(int edit);
QRect captureButtonRect(int button);

// Locker-number block: locker n = 1..20 in Edit(33 + n).
int lockerLabelNumber(int locker);
QRect lockerFieldRect(int locker);
QPoint lockerLabelAt(int locker);

// Locker-opening buttons SpeedButton1..SpeedButton20.
QRect speedButtonRect(int number);

// Guardian grid: CheckBox(20·(g − 1) + n) for guardian g = 1..7 and locker n = 1..20.
QRect checkBoxRect(int number);
QPoint guardianHeaderAt(int guardian);

// Edit1 has no limit (0).
int typingLimitOf(int edit);

} // namespace vorna::app::layout
