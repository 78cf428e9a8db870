#include "report/basFile_Tamo.h"

#include <cstdio>

namespace korvane {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000ULL;
constexpr std::uint64_t kTicksPerDay = 86400ULL * kTicksPerSecond;

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string FileDate::Text() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", month, day, year, hour, minute,
                second);
  return buf;
}

SystemTime FileTimeToSystemTime(std::uint64_t fileTime) {
  SystemTime st;
  std::uint64_t days = fileTime / kTicksPerDay;
  std::uint64_t rest = fileTime % kTicksPerDay;
  st.wMilliseconds = static_cast<int>((rest / 10000ULL) % 1000ULL);
  std::uint64_t seconds = rest / kTicksPerSecond;
  st.wHour = static_cast<int>(seconds / 3600);
  st.wMinute = static_cast<int>(seconds / 60 % 60);
  st.wSecond = static_cast<int>(seconds % 60);
  // 1 January 1601 was a Monday.
  st.wDayOfWeek = static_cast<int>((days + 1) % 7);

  // 1601 opens a 400-year cycle of the Gregorian calendar: 146097 days, made
  // of four centuries of 36524 days (the last one a day longer), each made of
  // four-year runs of 1461 days whose last year is the leap year.
  std::uint64_t cycles = days / 146097;
  std::uint64_t d = days % 146097;
  std::uint64_t centuries = d / 36524;
  if (centuries == 4) centuries = 3;
  d -= centuries * 36524;
  std::uint64_t quads = d / 1461;
  d %= 1461;
  std::uint64_t years = d / 365;
  if (years == 4) years = 3;
  d -= years * 365;
  int year = static_cast<int>(1601 + cycles * 400 + centuries * 100 + quads * 4 + years);
  int month = 1;
  int dayOfYear = static_cast<int>(d);
  while (dayOfYear >= DaysInMonth(year, month)) {
    dayOfYear -= DaysInMonth(year, month);
    ++month;
  }
  st.wYear = year;
  st.wMonth = month;
  st.wDay = dayOfYear + 1;
  return st;
}

FileDate SystemTimeToDate(const SystemTime& st) {
  // The fields go through their "MM/DD/YYYY hh:mm:ss" text and are read back
  // month first, so anything that text cannot hold as a date gives the zero date.
  FileDate date;
  char text[96];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", st.wMonth, st.wDay, st.wYear,
                st.wHour, st.wMinute, st.wSecond);
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char tail = 0;
  if (std::sscanf(text, "%d/%d/%d %d:%d:%d%c", &month, &day, &year, &hour, &minute, &second,
                  &tail) != 6) {
    return date;
  }
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return date;
  }
  date = FileDate{year, month, day, hour, minute, second};
  return date;
}

FileDate FileTimeToDate(std::uint64_t fileTime) {
  return SystemTimeToDate(FileTimeToSystemTime(fileTime));
}

OpenInfo GetOpenInfo(const std::string& path) {
  OpenInfo info;
  info.opened = platform::OpenFileInfo(path, info.fixedDisk);
  return info;
}

platform::FileInformation GetFileInfo(const std::string& path) {
  platform::FileInformation info;
  if (!platform::GetFileInformation(path, info)) info = platform::FileInformation{};
  return info;
}

std::string GetExpandedName(const std::string& path) {
  std::string expanded;
  if (!platform::GetExpandedName(path, expanded)) return {};
  return TrimNull(expanded);
}

std::string GetShortName(const std::string& path) {
  std::string shortPath;
  if (!platform::GetShortPathName(path, shortPath)) return {};
  return TrimNull(shortPath);
}

std::int32_t GetAttributes(const std::string& path) { return platform::GetFileAttributes(path); }

std::int64_t GetFileLength(const std::string& path) {
  platform::FileInformation info;
  if (!platform::GetFileInformation(path, info)) return 0;
  return static_cast<std::int64_t>(info.size);
}

VolumeInfo GetVolumeInfo(const std::string& rootPath) {
  VolumeInfo v;
  v.rootPath = rootPath;
  platform::VolumeInformation info;
  if (platform::GetVolumeInformation(rootPath, info)) {
    v.volumeName = TrimNull(info.volumeName);
    v.serialNumber = info.serialNumber;
    v.maximumComponentLength = info.maximumComponentLength;
    v.fileSystemFlags = info.fileSystemFlags;
    v.fileSystemName = TrimNull(info.fileSystemName);
  }
  return v;
}

std::int32_t CountMatches(const std::string& fileSpec, platform::SearchContext* context) {
  platform::FileSearch search(fileSpec, context, true);
  std::int32_t count = 0;
  platform::FindData entry;
  while (search.Next(entry)) ++count;
  return count;
}

}  // namespace korvane
