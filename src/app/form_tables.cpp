// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_tables.h"

#include <algorithm>
#include <stdexcept>

#include "link/memory_map.h"

namespace vorna::app::layout {

QColor tintColour(Tint tint)
{
    switch (tint) {
    case Tint::Red: return QColor(0xFF, 0x00, 0x00);
    case Tint::Navy: return QColor(0x00, 0x00, 0x80);
    case Tint::Maroon: return QColor(0x80, 0x00, 0x00);
    case Tint::Green: return QColor(0x00, 0x80, 0x00);
    case Tint::Teal: return QColor(0x00, 0x80, 0x80);
    case Tint::Window: break;
    }
    return {};
}

const std::array<LabelSpec, 2> kTopLabels{{
    {2, "Numer portu COM", {32, 8}, Tint::Window},
    {68, "Adres urządzenia ", {308, 8}, Tint::Window},
}};

const std::array<HeaderSpec, 4> kHeaders{{
    {3, "Numery kart RFID", {32, 98, 777, 13}},
    {37, "Numery szafek na LED", {328, 424, 177, 13}},
    {57, "Otwieranie szafek", {600, 424, 177, 13}},
    {65, "Ustawienie kart Opiekun", {840, 96, 257, 13}},
}};

const std::array<ButtonSpec, 14> kButtons{{
    {1, "Otwórz port", {88, 24, 81, 20}, Tint::Window, false, 0, nullptr, nullptr},
    {38, "Zamknij port", {168, 24, 81, 20}, Tint::Window, false, 0, nullptr, nullptr},
    {46, "Zapisz Adres", {336, 24, 97, 20}, Tint::Green, true, 0, nullptr, nullptr},
    {42, "Odczyt z Pliku", {936, 24, 81, 20}, Tint::Window, false, 0, nullptr, nullptr},
    {43, "Zapis do Pliku", {1016, 24, 81, 20}, Tint::Window, false, 0, nullptr, nullptr},
    {40, "Odczytaj czas otwarcia", {472, 64, 169, 20}, Tint::Green, true, 0, nullptr, nullptr},
    {39, "Zapisz czas otwarcia", {640, 64, 169, 20}, Tint::Window, true, 0, nullptr, nullptr},
    {35, "Odczytaj dane kart", {552, 120, 265, 20}, Tint::Green, true, 0, nullptr, nullptr},
    {34, "Zapisz dane kart", {552, 144, 265, 20}, Tint::Red, true, 0, nullptr, nullptr},
    {41, "-", {146, 448, 12, 21}, Tint::Window, false, 0, "Autonumeracja", "Autonumeracja"},
    {36, "Odczytaj dane", {568, 520, 241, 20}, Tint::Window, true, 0, nullptr, nullptr},
    {37, "Zapisz dane", {567, 544, 241, 20}, Tint::Window, true, 0, nullptr, nullptr},
    {44, "Odczyt ustawienia kart opiekun", {832, 120, 281, 20}, Tint::Window, true, 0, nullptr,
     nullptr},
    {45, "Zapis ustawienia kart opiekun", {832, 144, 281, 20}, Tint::Window, true, 9, nullptr,
     nullptr},
}};

const std::array<GaugeSpec, 3> kGauges{{
    {1, {296, 136, 249, 17}, 32, "Postęp przesyłania numerów kart"},
    {2, {568, 496, 241, 17}, 20, "Postęp przesyłania numerów szafek"},
    {3, {832, 176, 281, 17}, 7, "Postęp przesyłania ustawień kart opiekun"},
}};

// The fields are numbered right to left: Edit56 is the user's time, Edit54 the guardian's.
const std::array<TimeRow, 3> kTimeRows{{
    {{60, "Użytkownik:", {30, 70}, Tint::Green}, 56, 92, 58, 128},
    {{61, "Obsługa:", {182, 68}, Tint::Navy}, 55, 228, 59, 264},
    {{67, "Opiekun:", {310, 66}, Tint::Maroon}, 54, 356, 66, 392},
}};

const std::array<CardRow, 32> kCardRows{{
    {4, "Karta Master 1", Tint::Red},
    {5, "Karta Master 2", Tint::Red},
    {6, "Karta Obsługa 1", Tint::Navy},
    {7, "Karta Obsługa 2", Tint::Navy},
    {8, "Karta Obsługa 3", Tint::Navy},
    {13, "Karta Opiekun 1", Tint::Maroon},
    {14, "Karta Opiekun 2", Tint::Maroon},
    {15, "Karta Opiekun 3", Tint::Maroon},
    {9, "Karta Opiekun 4", Tint::Maroon},
    {10, "Karta Opiekun 5", Tint::Maroon},
    {11, "Karta Opiekun 6", Tint::Maroon},
    {12, "Karta Opiekun 7", Tint::Maroon},
    {16, "Pasek Szafka 1", Tint::Green},
    {17, "Pasek Szafka 2", Tint::Green},
    {18, "Pasek Szafka 3", Tint::Green},
    {19, "Pasek Szafka 4", Tint::Green},
    {20, "Pasek Szafka 5", Tint::Green},
    {21, "Pasek Szafka 6", Tint::Green},
    {22, "Pasek Szafka 7", Tint::Green},
    {23, "Pasek Szafka 8", Tint::Green},
    {24, "Pasek Szafka 9", Tint::Green},
    {25, "Pasek Szafka 10", Tint::Green},
    {26, "Pasek Szafka11", Tint::Green},
    {27, "Pasek Szafka 12", Tint::Green},
    {28, "Pasek Szafka 13", Tint::Green},
    {29, "Pasek Szafka 14", Tint::Green},
    {30, "Pasek Szafka 15", Tint::Green},
    {31, "Pasek Szafka 16", Tint::Green},
    {32, "PasekSzafka 17", Tint::Green},
    {33, "Pasek Szafka 18", Tint::Green},
    {34, "Pasek Szafka 19", Tint::Green},
    {35, "Pasek Szafka 20", Tint::Green},
}};

const std::array<int, 7> kGuardianHeaderLabels{62, 63, 64, 69, 70, 71, 72};

const ButtonSpec &buttonSpec(int number)
{
    const auto it = std::find_if(kButtons.begin(), kButtons.end(),
                                 [number](const ButtonSpec &b) { return b.number == number; });
    if (it == kButtons.end())
        throw std::out_of_range("no such button");
    return *it;
}

namespace {

struct CardColumn {
    int firstEdit;
    int lastEdit;
    int labelLeft;
    int fieldLeft;
    int firstTop;
};

constexpr std::array<CardColumn, 3> kCardColumns{{
    {2, 13, 24, 112, 120},
    {14, 23, 292, 376, 176},
    {24, 33, 560, 648, 176},
}};
constexpr int kRowPitch = 24;
constexpr QSize kCardFieldSize{97, 21};
constexpr int kCaptureOffset = 104;
constexpr QSize kCaptureSize{67, 20};
constexpr int kLabelDrop = 4; // a label's top below its field's top

const CardColumn &cardColumn(int edit)
{
    for (const CardColumn &c : kCardColumns)
        if (edit >= c.firstEdit && edit <= c.lastEdit)
            return c;
    throw std::out_of_range("not a card field");
}

} // namespace

QRect cardFieldRect(int edit)
{
    const CardColumn &c = cardColumn(edit);
    return {QPoint(c.fieldLeft, c.firstTop + kRowPitch * (edit - c.firstEdit)), kCardFieldSize};
}

QPoint cardLabelAt(int edit)
{
    return {cardColumn(edit).labelLeft, cardFieldRect(edit).top() + kLabelDrop};
}

QRect captureButtonRect(int button)
{
    return {cardFieldRect(button).topLeft() + QPoint(kCaptureOffset, 0), kCaptureSize};
}

int lockerLabelNumber(int locker)
{
    // Label37 is the block's header, so locker 1 has Label36 and the rest follow 37.
    return locker == 1 ? 36 : 36 + locker;
}

QRect lockerFieldRect(int locker)
{
    const int column = (locker - 1) / 5;
    const int row = (locker - 1) % 5;
    return {112 + 136 * column, 448 + 24 * row, 33, 21};
}

QPoint lockerLabelAt(int locker)
{
    const QRect field = lockerFieldRect(locker);
    return {field.left() - 80, field.top() + kLabelDrop};
}

QRect speedButtonRect(int number)
{
    return {568 + 24 * ((number - 1) % 10), 440 + 24 * ((number - 1) / 10), 25, 25};
}

QRect checkBoxRect(int number)
{
    const int guardian = (number - 1) / link::memory::kLockers;
    const int locker = (number - 1) % link::memory::kLockers;
    return {840 + 40 * guardian, 240 + 16 * locker, 30, 17};
}

QPoint guardianHeaderAt(int guardian)
{
    return {840 + 40 * (guardian - 1), 217};
}

int typingLimitOf(int edit)
{
    if (edit >= 2 && edit <= 33)
        return 10;
    if (edit >= 34 && edit <= 57)
        return 3;
    return 0;
}

} // namespace vorna::app::layout
