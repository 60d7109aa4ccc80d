#pragma once

#include <QString>

// How a spreadsheet cell that holds a number reads as the text a person typed.
namespace workbook {

// A whole number without decimals ("7", never "7.0"); any other number in the shortest form
// of up to 15 significant digits ("7.5", "0.1").
QString numberText(double value);

enum class NumberFormatKind { Plain, Text, Date, DateTime, Time };

// What a number format code shows: "@" is text; a code with year/month/day letters a date, with
// hours as well a date and time, with hours and minutes or minutes and seconds a time. Quoted
// literals, escaped characters and bracketed colours or locales do not count.
NumberFormatKind classifyNumberFormat(const QString& code);

// The built-in format ids of the spreadsheet programs, including the East Asian date formats
// (27-36, 50-58) that Chinese Excel stores without a definition.
NumberFormatKind builtinNumberFormatKind(int id);

// A date serial as text: "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss" or "HH:mm:ss", counting as Excel
// does (1900 system with its 29 February 1900, or the 1904 system).
QString serialDateText(double serial, NumberFormatKind kind, bool date1904);

// Serials that fall between 1900 and 9999; anything else is shown as a plain number.
bool isDateSerial(double serial);

} // namespace workbook
