#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// Numbers as the program writes them in files and status texts: a blank before
// zero and positive values, a minus sign before negative ones, nothing after.
std::string numberForm(long long value);

// The numeric value of a field text, read the way the program always read its
// fields: leading blanks skipped, an optional sign, then digits (and one decimal
// point); reading stops at the first other character. An empty or non-numeric
// text is 0. "&H1F" is read as hexadecimal.
double numericValue(std::string_view text);

// A whole number from `low` to `high` written as nothing but digits (and a
// leading minus), as settings and port fields take it; nullopt otherwise.
std::optional<int> numberInRange(std::string_view text, int low, int high);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// A fixed-length text field: cut or padded with blanks to `length` characters
// (characters, not bytes: an umlaut counts once, as in the files).
std::string fixedLength(std::string_view text, std::size_t length);

// Upper-case hexadecimal without leading zeros (0x120 -> "120").
std::string hexUpper(long long value);

// A count with its noun: the singular for exactly one, the plural for 0 and
// for 2 and more ("1 Schritt", "0 Schritte", "2 Schritte").
std::string counted(long long count, std::string_view singular, std::string_view plural);

}  // namespace tinctara
