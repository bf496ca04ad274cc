#include "book/Date.h"

#include <cstdio>
#include <ctime>

Date Date::Today() {
  Date today;
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local != nullptr) {
    today.year = local->tm_year + 1900;
    today.month = local->tm_mon + 1;
    today.day = local->tm_mday;
  }
  return today;
}

std::string Date::ToText(const std::string& separator) const {
  char month2[16];
  char day2[16];
  std::snprintf(month2, sizeof month2, "%02d", month);
  std::snprintf(day2, sizeof day2, "%02d", day);
  return std::to_string(year) + separator + month2 + separator + day2;
}
