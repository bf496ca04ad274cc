// A calendar date, as written in the Date tag of the game log.
#pragma once

#include <string>

class Date {
 public:
  int year = 1900;
  int month = 1;  // 1..12
  int day = 1;    // 1..31

  // The local date of today; the default date when the clock cannot be read.
  static Date Today();

  // Year, separator, two-digit month, separator, two-digit day: "2010.03.07" with ".".
  std::string ToText(const std::string& separator) const;
};
