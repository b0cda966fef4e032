// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Every text the operations put in the status line, word for word.
namespace vorna::ops::texts {

inline const QString kPortOpened = QStringLiteral("Port Otwarty");
inline const QString kPortOpenFailed = QStringLiteral("Nie udało się otworzyć portu!");
inline const QString kPortClosed = QStringLiteral("Port zamknięty");
inline const QString kPortClosedWriteInterrupted = QStringLiteral("Port zamknięty - zapis do sterownika przerwany");
inline const QString kPortLost = QStringLiteral("Utracono połączenie z portem - port zamknięty");
inline const QString kPortNotOpen = QStringLiteral("Port nie został otwarty pomyślnie ...");
inline const QString kBadAddress = QStringLiteral("Niewłaściwy adres urządzenia ...");
inline const QString kBadOpeningTime = QStringLiteral("Niewłaściwy format czasu otwarcia ...");

inline const QString kReadTimeout = QStringLiteral("Błąd odczytu - Przekroczony TimeOut!");
inline const QString kReaderTimeout = QStringLiteral("Błąd odczytu - przekroczony TimeOut!");
inline const QString kWriteTimeout = QStringLiteral("Błąd zapisu - Przekroczony TimeOut!");
inline const QString kTransferTimeout = QStringLiteral("Błąd odczytu - przekroczenie TimeOut!");

// Locker opening
inline QString openingLocker(int number) { return QStringLiteral("Otwieranie szafki nr %1 ...").arg(number); }

// Reader capture
inline const QString kHoldCard = QStringLiteral("Przyłóż karte to czytnika ...");
inline const QString kCardCaptured = QStringLiteral("Numer karty odczytany z czytnika ...");
inline const QString kNoCard = QStringLiteral("Nie odczytano karty !");

// Card list
inline const QString kBadCardText = QStringLiteral("Niewłaściwy format kodu karty ...");
inline const QString kReadingCards = QStringLiteral("Odczytywanie numerów kart ze sterownika ...");
inline const QString kCardsRead = QStringLiteral("Numery kart zostały odczytane ze sterownika ...");
inline const QString kWritingCards = QStringLiteral("Zapisywanie numerów kart do sterownika ...");
inline const QString kCardsWritten = QStringLiteral("Zakończono zapisywanienumerów kart do sterownika ...");

// Locker numbers
inline const QString kBadLockerNumber = QStringLiteral("Niewłaściwy format numeru szafek ...");
inline const QString kReadingLockerNumbers = QStringLiteral("Odczytywanie numerów szafek ze sterownika ...");
inline const QString kLockerNumbersRead = QStringLiteral("Numery szafek zostały odczytane ze sterownika ...");
inline const QString kWritingLockerNumbers = QStringLiteral("Zapisywanie numerów szafek do sterownika ...");
inline const QString kLockerNumbersWritten = QStringLiteral("Zakończono zapisywanienumerów szafek do sterownika ...");

// Opening times
inline const QString kReadingTimes = QStringLiteral("Odczytywanie czsu otwarcia szafki ze sterownika ...");
inline const QString kTimesRead = QStringLiteral("Czas otwarcia szafki został odczytany ze sterownika ...");
inline const QString kWritingTimes = QStringLiteral("Zapisywanie czsu otwarcia szafki ze sterownika ...");
inline const QString kTimesWritten = QStringLiteral(
    "Czas otwarcia szafki został zapisany do sterownika. Wyłącz i włącz urządzenie by uaktualnic zmiany!");

// Guardian assignment
inline const QString kReadingGuardians = QStringLiteral("Odczytywanie przyporządkowanych szafek opiekuna ze sterownika ...");
inline const QString kGuardiansRead = QStringLiteral("Numery przyporządkowanych szafek opiekuna zostały odczytane ze sterownika ...");
inline const QString kWritingGuardians = QStringLiteral("Zapisywanie przyporządkowanych numerów szafek opiekuna do sterownika ...");
inline const QString kGuardiansWritten = QStringLiteral("Zakończono zapisywanie przyporządkowanych numerów szafek opiekuna do sterownika ...");

// Device address
inline const QString kAddressSent = QStringLiteral("Przesłano nowy adres do urządzenia - wyłącz i włącz urządzenie!");

// Project file
inline const QString kProjectSaved = QStringLiteral("Zapisano dane do pliku ...");
inline const QString kProjectLoaded = QStringLiteral("Odczytano dane do pliku ...");
inline const QString kProjectSaveFailed = QStringLiteral("Nie udało się zapisać danych do pliku ...");
inline const QString kProjectLoadFailed = QStringLiteral("Nie udało się odczytać danych z pliku ...");

} // namespace vorna::ops::texts
