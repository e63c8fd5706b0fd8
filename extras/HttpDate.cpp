#include "extras/HttpDate.h"

#include <array>
#include <string>

#include "common/Text.h"

namespace dx {
namespace {

constexpr std::array<const char*, 7> kWeekdays = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                  "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

int MonthNumber(std::string_view token) {
  if (token.size() < 3) return 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsNoCase(token.substr(0, 3), kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool IsWeekday(std::string_view token) {
  for (const char* day : kWeekdays) {
    if (EqualsNoCase(token, day)) return true;
  }
  return false;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Reads the text up to separator (blanks before it are skipped, and with a blank as the
// separator a run of blanks counts as one).
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}
  std::string_view Next(char separator) {
    SkipBlanks();
    const std::size_t end = text_.find(separator, pos_);
    std::string_view token = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    return token;
  }
  std::string_view Rest() {
    SkipBlanks();
    return text_.substr(pos_);
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool ReadNumber(std::string_view token, int& value) { return !token.empty() && TryStrToInt(token, value); }

std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::int64_t UnixSeconds(const platform::DateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

platform::DateTime FromUnixSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  platform::DateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::optional<platform::DateTime> ParseHttpDateUtc(std::string_view input) {
  std::string text = Trim(input);
  if (text.empty()) return std::nullopt;
  if (text.size() >= 3 && IsWeekday(std::string_view(text).substr(0, 3))) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return std::nullopt;
    text = Trim(std::string_view(text).substr(blank));
  }
  const std::size_t firstBlank = text.find(' ');
  const std::size_t dash = text.find('-', 1);
  const char separator = dash != std::string::npos && dash < firstBlank ? '-' : ' ';

  Tokens tokens(text);
  std::string_view first = tokens.Next(separator);
  std::string_view dayToken;
  int month = MonthNumber(first);
  if (month != 0) {
    dayToken = tokens.Next(separator);
  } else {
    dayToken = first;
    month = MonthNumber(tokens.Next(separator));
  }
  int day = 1;
  if (!ReadNumber(dayToken, day)) day = 1;

  int year = 0;
  std::string rest;
  std::string_view yearToken = tokens.Next(' ');
  if (ReadNumber(yearToken, year)) {
    rest = std::string(tokens.Rest());
  } else {
    // The asctime form: the year comes after the time.
    if (!ReadNumber(tokens.Next(' '), year)) return std::nullopt;
    rest = std::string(yearToken) + " " + std::string(tokens.Rest());
  }
  if (year >= 0 && year < 80) {
    year += 2000;
  } else if (year >= 80 && year < 100) {
    year += 1900;
  }
  if (month < 1 || month > 12 || year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }

  int parts[3] = {0, 0, 0};
  Tokens restTokens(rest);
  if (rest.find(':') != std::string::npos) {
    std::string_view time = restTokens.Next(' ');
    for (int& part : parts) {
      const std::size_t colon = time.find(':');
      if (!ReadNumber(time.substr(0, colon), part)) part = 0;
      time = colon == std::string_view::npos ? std::string_view() : time.substr(colon + 1);
    }
  }
  if (parts[0] < 0 || parts[0] > 23 || parts[1] < 0 || parts[1] > 59 || parts[2] < 0 || parts[2] > 59) {
    return std::nullopt;
  }
  std::int64_t seconds = UnixSeconds({year, month, day, parts[0], parts[1], parts[2], 0});

  const std::string_view zone = restTokens.Rest();
  if (zone.size() > 4 && (zone[0] == '+' || zone[0] == '-')) {
    int hours = 0, minutes = 0;
    const std::string_view hh = zone.substr(1, 2), mm = zone.substr(3, 2);
    const auto digits = [](std::string_view s) { return s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9'; };
    if (digits(hh) && digits(mm) && ReadNumber(hh, hours) && ReadNumber(mm, minutes)) {
      const std::int64_t offset = hours * 3600 + minutes * 60;
      seconds += zone[0] == '+' ? -offset : offset;
    }
  }
  return FromUnixSeconds(seconds);
}

std::optional<platform::DateTime> ReadHttpDate(std::string_view text, platform::ILocaleClock& clock) {
  auto utc = ParseHttpDateUtc(text);
  if (!utc) return std::nullopt;
  return clock.UtcToLocal(*utc);
}

}  // namespace dx
